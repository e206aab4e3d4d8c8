// The frame log (every frame read whole for its block counts) and the
// subtitle scan (packs only) against ffmpeg reading the video of the same
// file, all on a warm cache in the same run, best of three each.
//
//   frame_log_bench [clip.avi]   (default: a 30-minute PAL clip with a jump
//                                 every five minutes, made in the temp folder
//                                 and removed afterwards)

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "graphs/datecode_cues.h"
#include "graphs/frames_command.h"
#include "graphs/scene_detector.h"
#include "graphs/scene_scan.h"
#include "sample_clip.h"
#include "bench_support.h"

namespace {

using korvid::bench::FfmpegReadsVideo;
using korvid::bench::SecondsSince;

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

fs::path MakeClip() {
  const fs::path path = fs::temp_directory_path() / "korvid-bench-frame-log-1800s.avi";
  korvid::samples::DvClipSpec spec;
  spec.file_name = path.filename().string();
  spec.frames = 1800 * 25;
  spec.distinct_pictures = 25;
  for (int f = 7500; f < spec.frames; f += 7500) spec.jumps.push_back({f, 3600});
  std::printf("writing %s (%d frames)...\n", path.c_str(), spec.frames);
  korvid::samples::WriteDvClip(path, spec);
  return path;
}

double FrameLog(const fs::path& clip, const fs::path& csv) {
  const auto start = Clock::now();
  std::ofstream out(csv, std::ios::binary | std::ios::trunc);
  std::ostringstream err;
  if (korvid::graphs::RunFramesCommand({clip.string()}, out, err) != 0) throw std::runtime_error(err.str());
  out.close();
  return SecondsSince(start);
}

double SubtitleScan(const fs::path& clip, std::size_t& cues) {
  const auto start = Clock::now();
  korvid::graphs::SceneFrameReader reader(clip);
  korvid::graphs::SceneDetector detector;
  detector.Begin(std::nullopt, "");
  korvid::graphs::SceneScanProgress progress;
  const std::atomic<bool> abort{false};
  korvid::graphs::DatecodeCueBuilder builder;
  korvid::graphs::RunSceneScan(
      reader, detector, [](const korvid::graphs::DetectedScene&) {}, abort, progress,
      [&builder](const korvid::graphs::ScannedFrame& frame) {
        if (frame.read) builder.Add(static_cast<std::int64_t>(frame.frame), frame.packs.datecode);
      });
  cues = builder.Finish().size();
  return SecondsSince(start);
}

}  // namespace

int main(int argc, char** argv) {
  const bool made = argc <= 1;
  fs::path clip;
  const fs::path csv = fs::temp_directory_path() / "korvid-bench-frame-log.csv";
  int status = 0;
  try {
    clip = made ? MakeClip() : fs::path(argv[1]);
    if (!FfmpegReadsVideo(clip)) throw std::runtime_error("ffmpeg could not read " + clip.string());
    double log_best = 0;
    double srt_best = 0;
    double ffmpeg_best = 0;
    std::size_t cues = 0;
    const auto keep = [](double& best, double s) { best = best == 0 || s < best ? s : best; };
    for (int round = 0; round < 3; ++round) {
      keep(log_best, FrameLog(clip, csv));
      keep(srt_best, SubtitleScan(clip, cues));
      const auto start = Clock::now();
      FfmpegReadsVideo(clip);
      keep(ffmpeg_best, SecondsSince(start));
    }
    std::printf("clip: %s, %ju bytes, %zu cues\n", clip.c_str(), static_cast<std::uintmax_t>(fs::file_size(clip)),
                cues);
    std::printf("frame log (whole frames): %8.3f s  %5.1f x ffmpeg\n", log_best, ffmpeg_best / log_best);
    std::printf("subtitle scan (packs):    %8.3f s  %5.1f x ffmpeg\n", srt_best, ffmpeg_best / srt_best);
    std::printf("ffmpeg -map 0:v -c copy:  %8.3f s  (goal: the frame log 10 x faster)\n", ffmpeg_best);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "frame_log_bench: %s\n", e.what());
    status = 1;
  }
  std::error_code ignored;
  fs::remove(csv, ignored);
  if (made && !clip.empty()) fs::remove(clip, ignored);
  return status;
}
