// WAV extraction speed against the ffmpeg command line writing the same
// sound to a WAV file, on generated PAL clips of both DV types in the same
// run: type 1 decodes the sound from every frame, type 2 copies its auds
// stream. Each side's best of three runs, wall and CPU.
//
// Usage: wav_extraction_bench [seconds]

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <sys/resource.h>

#include "bench_support.h"
#include "graphs/audio_extraction_job.h"
#include "sample_clip.h"

namespace {

using korvid::bench::CpuSeconds;
using korvid::bench::Quoted;
using korvid::bench::Seconds;
using korvid::bench::Shell;

namespace fs = std::filesystem;

struct Cost {
  double wall = std::numeric_limits<double>::max();
  double cpu = std::numeric_limits<double>::max();
};

Cost Best(int who, const std::function<void()>& work) {
  Cost best;
  for (int run = 0; run < 3; ++run) {
    const double cpu = CpuSeconds(who);
    const double wall = Seconds(work);
    best.wall = std::min(best.wall, wall);
    best.cpu = std::min(best.cpu, CpuSeconds(who) - cpu);
  }
  return best;
}

void Compare(const fs::path& dir, int type, int seconds) {
  korvid::samples::DvClipSpec spec;
  spec.dv_type = type;
  spec.frames = seconds * 25;
  spec.distinct_pictures = 25;
  const fs::path clip = dir / ("type" + std::to_string(type) + ".avi");
  korvid::samples::WriteDvClip(clip, spec);
  Shell("cat " + Quoted(clip) + " > /dev/null");

  const Cost theirs = Best(RUSAGE_CHILDREN, [&] {
    Shell("ffmpeg -v error -nostdin -y -i " + Quoted(clip) + " -map 0:a:0 -c:a pcm_s16le " + Quoted(dir / "ff.wav"));
  });
  const Cost ours = Best(RUSAGE_SELF, [&] {
    korvid::graphs::AudioExtractionJob job(clip, dir / "ours.wav");
    korvid::graphs::JobProgress progress;
    job.Run(progress);
  });
  std::printf("type %d, %d frames (%ju bytes of WAV)\n", type, spec.frames,
              static_cast<std::uintmax_t>(fs::file_size(dir / "ours.wav")));
  std::printf("  korvid: %.3f s wall, %.3f s CPU\n", ours.wall, ours.cpu);
  std::printf("  ffmpeg: %.3f s wall, %.3f s CPU\n", theirs.wall, theirs.cpu);
  std::printf("  ratio korvid/ffmpeg: wall %.2f, CPU %.2f\n", ours.wall / theirs.wall, ours.cpu / theirs.cpu);
  fs::remove(clip);
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 600;
  const fs::path dir = fs::temp_directory_path() / "korvid-wav-bench";
  fs::create_directories(dir);
  Compare(dir, 1, seconds);
  Compare(dir, 2, seconds);
  fs::remove_all(dir);
  return 0;
}
