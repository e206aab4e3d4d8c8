// Walks the headers of a short and of a forty-times longer DV AVI file (the
// structure, then the video stream's header) and prints the time of one
// walk of each and their ratio. A walk that steps over the media data by
// offset costs the same on both; one that reads or descends into it grows
// with the file.
//
//   avi_walk_bench [frames of the long file]   (default 2000)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "media/avi_param.h"
#include "media/avi_stream_locator.h"
#include "media/binary_file.h"
#include "sample_clip.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kWalks = 2000;

// Microseconds of one walk, the best of three rounds of kWalks.
template <typename Walk>
double WalkMicros(const fs::path& path, Walk walk) {
  const korvid::media::BinaryFile file(path, korvid::media::BinaryFile::Mode::kRead);
  double best = 1e30;
  for (int round = 0; round < 3; ++round) {
    const auto start = Clock::now();
    for (int i = 0; i < kWalks; ++i) walk(file);
    best = std::min(best, std::chrono::duration<double, std::micro>(Clock::now() - start).count() / kWalks);
  }
  return best;
}

void Report(const char* what, double short_us, double long_us) {
  std::printf("%-22s %8.2f us short, %8.2f us long (ratio %.2f)\n", what, short_us, long_us, long_us / short_us);
}

}  // namespace

int main(int argc, char** argv) {
  const int long_frames = argc > 1 ? std::max(50, std::atoi(argv[1])) : 2000;
  const fs::path folder = fs::temp_directory_path() / "korvid_avi_walk_bench";
  fs::create_directories(folder);
  korvid::samples::DvClipSpec spec;
  spec.frames = long_frames / 40;
  korvid::samples::WriteDvClip(folder / "short.avi", spec);
  spec.frames = long_frames;
  korvid::samples::WriteDvClip(folder / "long.avi", spec);

  const auto structure = [](const korvid::media::BinaryFile& file) {
    if (!korvid::media::TAviParam(file).valid) std::abort();
  };
  const auto header = [](const korvid::media::BinaryFile& file) {
    if (!korvid::media::LocateVideoStreamHeader(file)) std::abort();
  };
  Report("structure (TAviParam)", WalkMicros(folder / "short.avi", structure),
         WalkMicros(folder / "long.avi", structure));
  Report("video stream header", WalkMicros(folder / "short.avi", header), WalkMicros(folder / "long.avi", header));
  fs::remove_all(folder);
  return 0;
}
