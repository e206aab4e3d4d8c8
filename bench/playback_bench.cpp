// The playback source on a long DV file: time to open it and have frame 0
// on screen, time from a seek to a random frame to having that frame, and
// frames a second decoded ahead (picture, packs and sound). For comparison,
// ffmpeg's full decode of the same file (`ffmpeg -i F -f null -`), timed in
// the same run on a warm cache.
//
//   playback_bench [clip.avi]   (default /tmp/long.avi, written when missing
//                                as `korvid-samples --long 600` writes it)

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <vector>

#include "graphs/playback_feed.h"
#include "graphs/playback_source.h"
#include "sample_clip.h"
#include "bench_support.h"

namespace {

using korvid::bench::LongClip;
using korvid::bench::Median;
using korvid::bench::MsSince;
using korvid::bench::RunQuietly;

using Clock = std::chrono::steady_clock;

bool FfmpegDecode(const std::filesystem::path& clip) {
  return RunQuietly({"ffmpeg", "-v", "error", "-nostdin", "-i", clip.string(), "-f", "null", "-"});
}

}  // namespace

int main(int argc, char** argv) {
  using korvid::graphs::PlaybackFeed;
  using korvid::graphs::PlaybackSource;
  const auto clip = LongClip(argc, argv);

  // Open and show frame 0.
  std::vector<double> open_ms;
  for (int run = 0; run < 20; ++run) {
    const auto start = Clock::now();
    PlaybackSource source(clip);
    PlaybackFeed feed(source);
    feed.Seek(0);
    if (!feed.Next()) return 1;
    open_ms.push_back(MsSince(start));
  }

  PlaybackSource source(clip);
  const std::int64_t frames = source.FrameCount();

  // Seek to a random frame and wait for it.
  std::vector<double> seek_ms;
  {
    PlaybackFeed feed(source);
    feed.Seek(0);
    std::mt19937 random(15);
    std::uniform_int_distribution<std::int64_t> pick(0, frames - 1);
    for (int run = 0; run < 100; ++run) {
      const std::int64_t k = pick(random);
      const auto start = Clock::now();
      feed.Seek(k);
      const auto frame = feed.Next();
      seek_ms.push_back(MsSince(start));
      if (!frame || frame->number != k) return 1;
    }
  }

  // Decode ahead through the whole file.
  std::int64_t decoded = 0;
  const auto decode_start = Clock::now();
  {
    PlaybackFeed feed(source);
    feed.Seek(0);
    while (feed.Next()) ++decoded;
  }
  const double decode_s = MsSince(decode_start) / 1000;

  const auto ffmpeg_start = Clock::now();
  const bool ffmpeg_ok = FfmpegDecode(clip);
  const double ffmpeg_s = MsSince(ffmpeg_start) / 1000;

  std::printf("clip: %s, %lld frames\n", clip.c_str(), static_cast<long long>(frames));
  std::printf("open and show frame 0: median %.2f ms, max %.2f ms (20 runs)\n", Median(open_ms),
              *std::max_element(open_ms.begin(), open_ms.end()));
  std::printf("seek to a random frame: median %.2f ms, max %.2f ms (100 seeks)\n", Median(seek_ms),
              *std::max_element(seek_ms.begin(), seek_ms.end()));
  std::printf("decode ahead: %lld frames in %.2f s = %.0f frames/s (picture to RGB32, packs, sound)\n",
              static_cast<long long>(decoded), decode_s, static_cast<double>(decoded) / decode_s);
  if (ffmpeg_ok)
    std::printf("ffmpeg -i clip -f null -: %.2f s = %.0f frames/s\n", ffmpeg_s, static_cast<double>(frames) / ffmpeg_s);
  else
    std::printf("ffmpeg -i clip -f null -: failed\n");
  return 0;
}
