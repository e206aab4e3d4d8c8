// The scene scan against a full read of the same file by ffmpeg, both on a
// warm cache in the same run: frames a second each and their ratio, and
// how much the scan's memory grows.
//
//   scene_scan_bench [clip.avi]   (default: a 10-minute PAL clip with a jump
//                                  every minute, made once in the temp folder)

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "graphs/scene_detector.h"
#include "graphs/scene_scan.h"
#include "sample_clip.h"
#include "bench_support.h"

namespace {

using korvid::bench::FfmpegReadsVideo;
using korvid::bench::SecondsSince;

using Clock = std::chrono::steady_clock;

long MaxRssKb() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

std::filesystem::path DefaultClip() {
  const auto path = std::filesystem::temp_directory_path() / "korvid-bench-scenes-600s.avi";
  if (std::filesystem::exists(path)) return path;
  korvid::samples::DvClipSpec spec;
  spec.file_name = path.filename().string();
  spec.frames = 600 * 25;
  spec.distinct_pictures = 25;
  for (int f = 1500; f < spec.frames; f += 1500) spec.jumps.push_back({f, 3600});
  std::printf("writing %s (%d frames)...\n", path.c_str(), spec.frames);
  korvid::samples::WriteDvClip(path, spec);
  return path;
}

struct ScanRun {
  std::size_t frames = 0;
  int scenes = 0;
  double seconds = 0;
};

ScanRun Scan(const std::filesystem::path& clip) {
  const auto start = Clock::now();
  korvid::graphs::SceneFrameReader reader(clip);
  korvid::graphs::SceneDetector detector;
  detector.Begin(std::nullopt, "");
  korvid::graphs::SceneScanProgress progress;
  std::atomic<bool> abort{false};
  ScanRun run;
  korvid::graphs::RunSceneScan(reader, detector, [&run](const korvid::graphs::DetectedScene&) { ++run.scenes; },
                               abort, progress);
  run.frames = reader.FrameCount();
  run.scenes += 1;  // the running scene at the end
  run.seconds = SecondsSince(start);
  return run;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::filesystem::path clip = argc > 1 ? std::filesystem::path(argv[1]) : DefaultClip();
    // Warm the cache: ffmpeg reads the whole file once.
    if (!FfmpegReadsVideo(clip)) {
      std::fprintf(stderr, "ffmpeg could not read %s\n", clip.c_str());
      return 1;
    }
    const long rss_before = MaxRssKb();
    ScanRun best;
    double ffmpeg_best = 0;
    for (int round = 0; round < 3; ++round) {
      const ScanRun run = Scan(clip);
      if (best.seconds == 0 || run.seconds < best.seconds) best = run;
      const auto start = Clock::now();
      FfmpegReadsVideo(clip);
      const double s = SecondsSince(start);
      if (ffmpeg_best == 0 || s < ffmpeg_best) ffmpeg_best = s;
    }
    const double ours = static_cast<double>(best.frames) / best.seconds;
    const double theirs = static_cast<double>(best.frames) / ffmpeg_best;
    std::printf("clip: %s, %zu frames, %d scenes\n", clip.c_str(), best.frames, best.scenes);
    std::printf("scene scan:           %10.0f frames/s (%.3f s)\n", ours, best.seconds);
    std::printf("ffmpeg full read:     %10.0f frames/s (%.3f s)\n", theirs, ffmpeg_best);
    std::printf("ratio:                %10.1f x (goal: 10 x or more)\n", ours / theirs);
    std::printf("peak memory growth:   %10ld kB over the scans\n", MaxRssKb() - rss_before);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "scene_scan_bench: %s\n", e.what());
    return 1;
  }
}
