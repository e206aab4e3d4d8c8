// Merging three damaged captures of one tape against what the work cannot
// avoid: reading the three captures (cat to /dev/null) and writing one
// durable copy (cp, then sync of the copy: the merge makes its own output
// durable, and other programs' pending writes belong in neither figure).
// Both run on the same generated files, first with the captures in the
// page cache, then with them read from the disk; the peak memory shows
// that no capture is held whole. The machine's load varies, so each figure
// is the median of a few rounds that alternate the merge and what it is
// measured against.
//
// Usage: merge_bench [seconds_per_capture [rounds]]   (300 s of PAL is about
// 1 GiB; the files go to $TMPDIR/korvid-merge-bench and are kept)

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench_support.h"
#include "graphs/dv_source.h"
#include "graphs/merge_job.h"
#include "media/avi_writer.h"
#include "sample_clip.h"

namespace {

namespace fs = std::filesystem;
using korvid::bench::Median;
using korvid::bench::Quoted;
using korvid::bench::Seconds;
using korvid::bench::Shell;

// A copy of the clean capture with a few concealed video blocks in every
// frame, different in each capture, and a frame dropped now and then.
void WriteDamagedCapture(const fs::path& clean, const fs::path& out, unsigned seed) {
  const korvid::graphs::DvSource source(clean);
  auto writer = korvid::media::AviWriter::CreateType1(out, {source.System(), false});
  std::mt19937 random(seed);
  std::vector<std::uint8_t> frame;
  for (std::size_t k = 0; k < source.FrameCount(); ++k) {
    if (!source.ReadFrame(k, frame) || random() % 500 == 0) continue;
    for (int n = 0; n < 20; ++n) {
      const std::size_t block = random() % (frame.size() / 80);
      const std::size_t in_sequence = block % 150;
      if (in_sequence < 6 || (in_sequence - 6) % 16 == 0) continue;
      frame[block * 80 + 3] |= 0x70;
      std::memset(&frame[block * 80 + 4], 0, 76);
    }
    writer.WriteVideoFrame(frame);
  }
  writer.Close();
}

// The peak resident memory since the last reset, in MiB (Linux).
void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }
long PeakMemoryMiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6) / 1024;
  return -1;
}

// Drops the file's pages from the page cache, so that the next reading of
// it comes from the disk, as it does for captures made days before.
void Evict(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return;
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
  ::close(fd);
}

struct Figures {
  double anchor = 0;
  double merge = 0;
  double lineUp = 0;
  double cpu = 0;    // of the merge, all its threads
  double ratio = 0;  // the median of the rounds' ratios, which holds when the load drifts
  long peak = 0;
};

Figures Measure(const std::vector<fs::path>& passes, const fs::path& dir, int rounds, bool fromDisk) {
  std::string all;
  for (const auto& pass : passes) all += " " + Quoted(pass);
  const auto evict = [&] {
    if (fromDisk)
      for (const auto& pass : passes) Evict(pass);
  };
  std::vector<double> anchors;
  std::vector<double> merges;
  std::vector<double> lineUps;
  std::vector<double> cpus;
  Figures figures;
  for (int round = 0; round < rounds; ++round) {
    evict();
    anchors.push_back(Seconds([&] {
      Shell("cat" + all + " > /dev/null && cp " + Quoted(passes[0]) + " " + Quoted(dir / "cp.avi") + " && sync " +
            Quoted(dir / "cp.avi"));
    }));
    fs::remove(dir / "cp.avi");
    Shell("sync");
    evict();
    ResetPeakMemory();
    const double cpuBefore = korvid::bench::CpuSeconds(RUSAGE_SELF);
    const auto start = korvid::bench::Clock::now();
    korvid::graphs::MergeJob job(passes, {.output = dir / "merged.avi"});
    korvid::graphs::JobProgress progress;
    job.SetStage(korvid::graphs::MergeStage::kLineUp);
    job.Run(progress);
    lineUps.push_back(korvid::bench::SecondsSince(start));
    job.SetStage(korvid::graphs::MergeStage::kMerge);
    job.Run(progress);
    cpus.push_back(korvid::bench::CpuSeconds(RUSAGE_SELF) - cpuBefore);
    merges.push_back(korvid::bench::SecondsSince(start));
    figures.peak = std::max(figures.peak, PeakMemoryMiB());
    fs::remove(dir / "merged.avi");
    Shell("sync");
  }
  figures.anchor = Median(anchors);
  figures.merge = Median(merges);
  figures.lineUp = Median(lineUps);
  figures.cpu = Median(cpus);
  std::vector<double> ratios;
  for (std::size_t r = 0; r < merges.size(); ++r) ratios.push_back(merges[r] / anchors[r]);
  figures.ratio = Median(ratios);
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 120;
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  const fs::path dir = fs::temp_directory_path() / "korvid-merge-bench";
  fs::create_directories(dir);
  korvid::samples::DvClipSpec spec;
  spec.dv_type = 1;
  spec.frames = seconds * 25;
  spec.distinct_pictures = 25;
  const fs::path clean = dir / "clean.avi";
  if (!fs::exists(clean)) korvid::samples::WriteDvClip(clean, spec);
  std::vector<fs::path> passes;
  for (unsigned p = 0; p < 3; ++p) {
    passes.push_back(dir / ("pass" + std::to_string(p + 1) + ".avi"));
    if (!fs::exists(passes.back())) WriteDamagedCapture(clean, passes.back(), p + 1);
  }
  std::string all;
  for (const auto& pass : passes) all += " " + Quoted(pass);
  // Whatever writing the captures left pending is no part of either figure.
  Shell("cat" + all + " > /dev/null && sync");

  for (const bool fromDisk : {false, true}) {
    const Figures f = Measure(passes, dir, rounds, fromDisk);
    std::printf("merge of 3 x %d s, %s (median of %d): korvid %.3f s (lining up %.3f s, cpu %.3f s), cat x3 + cp + sync %.3f s, "
                "ratio %.2f (median of the rounds' ratios; goal 1.5), peak %ld MiB\n",
                seconds, fromDisk ? "captures read from the disk" : "captures in the page cache", rounds, f.merge,
                f.lineUp, f.cpu, f.anchor, f.ratio, f.peak);
    std::fflush(stdout);
  }
  return 0;
}
