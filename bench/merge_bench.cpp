// Merging three damaged captures of one tape against what the work cannot
// avoid: reading the three captures (cat to /dev/null) and writing one
// durable copy (cp + sync). Both run on the same generated files with the
// page cache warmed the same way; the peak memory shows that no capture
// is held whole.
//
// Usage: merge_bench [seconds_per_capture]   (300 s of PAL is about 1 GiB)

#include <cstdio>
#include <fstream>
#include <cstdlib>
#include <cstring>
#include <filesystem>
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
using korvid::bench::Quoted;
using korvid::bench::Seconds;

void Shell(const std::string& command) {
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
}

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

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 120;
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
  Shell("cat" + all + " > /dev/null");

  const double anchor = Seconds([&] {
    Shell("cat" + all + " > /dev/null && cp " + Quoted(passes[0]) + " " + Quoted(dir / "cp.avi") + " && sync");
  });
  ResetPeakMemory();
  const double ours = Seconds([&] {
    korvid::graphs::MergeJob job(passes, {.output = dir / "merged.avi"});
    korvid::graphs::JobProgress progress;
    job.Run(progress);
    Shell("sync");
  });
  std::printf("merge of 3 x %d s: korvid %.3f s, cat x3 + cp + sync %.3f s, ratio %.2f (goal 1.5), peak %ld MiB\n",
              seconds, ours, anchor, ours / anchor, PeakMemoryMiB());
  fs::remove(dir / "cp.avi");
  return 0;
}
