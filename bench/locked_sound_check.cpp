// A check run by hand in Release, too long for the test suite: a generated
// PAL clip of unlocked sound (ten minutes unless told) with a click at the
// start of every second. The locked MP4 and the locked WAV must put every
// click within 1 ms of its second from start to end, and the drift the file
// reports must be the one its sample counts make; ffmpeg's MP4 and WAV of
// the same file are measured beside them. Exits 1 when a check fails.
//
// Usage: locked_sound_check [seconds]

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_support.h"
#include "click_times.h"
#include "graphs/audio_extraction_job.h"
#include "graphs/mp4_export_job.h"
#include "graphs/square_pixel_filter.h"
#include "media/dv_sound_drift.h"
#include "sample_clip.h"
#include "settings/date_time_format.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

using korvid::bench::Quoted;
using korvid::bench::Seconds;
using korvid::bench::Shell;

namespace fs = std::filesystem;

// Camcorder-like counts for 625/50 at 48 kHz: 0.57 samples a frame too
// many on average, jittering by a few.
const std::vector<std::size_t> kCounts{1921, 1919, 1922, 1920, 1923, 1918, 1921};
constexpr int kQuality = 51;  // the picture does not matter here

// Prints how the clicks of `file`'s sound lie; true when all `seconds`
// are there and within `limit_ms` (a negative limit only measures).
bool Report(const char* what, const fs::path& file, int seconds, double wall, double limit_ms) {
  const auto pcm = korvid::samples::FfmpegDecodedSound(file, 2, 48000);
  const auto clicks = korvid::samples::FindClicks(pcm, 2, 48000);
  const double worst = korvid::samples::WorstClickOffsetMs(clicks);
  std::printf("%-14s %5zu clicks, worst %8.3f ms from the picture, %.3f s of sound, made in %.1f s\n", what,
              clicks.size(), worst, static_cast<double>(pcm.size()) / 2 / 48000, wall);
  return limit_ms < 0 || (clicks.size() == static_cast<std::size_t>(seconds) && worst < limit_ms);
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 600;
  if (seconds < 1) return 2;
  av_log_set_level(AV_LOG_ERROR);
  const fs::path dir = fs::temp_directory_path() / "korvid-locked-sound-check";
  fs::create_directories(dir);
  const fs::path clip = dir / "unlocked.avi";

  korvid::samples::DvClipSpec spec;
  spec.dv_type = 1;
  spec.frames = seconds * 25;
  spec.distinct_pictures = 5;
  spec.clicks = true;
  spec.unlocked_counts = kCounts;
  korvid::samples::WriteDvClip(clip, spec);
  bool ok = true;

  double recorded = 0;
  for (int k = 0; k < spec.frames; ++k) recorded += static_cast<double>(kCounts[static_cast<std::size_t>(k) % kCounts.size()]);
  const double expected_drift = (recorded / 48000.0 - spec.frames / 25.0) * 1000.0;
  const auto drift = korvid::media::ReadDvSoundDrift(clip);
  std::printf("%d s: drift of the counts written %.3f ms, reported %.3f ms, locked %s\n", seconds, expected_drift,
              drift ? drift->drift_ms : std::nan(""), drift && drift->locked ? "yes" : "no");
  ok = ok && drift && !drift->locked && std::abs(drift->drift_ms - expected_drift) < 1e-6;

  const double mp4_wall = Seconds([&] {
    korvid::graphs::Mp4ExportOptions options{kQuality, "yyyy/mm/dd hh:nn:ss",
                                             korvid::settings::EnglishLocaleFormats(), std::nullopt, {}};
    korvid::graphs::Mp4ExportJob job(clip, dir / "korvid.mp4", options);
    korvid::graphs::JobProgress progress;
    job.Run(progress);
  });
  const double wav_wall = Seconds([&] {
    korvid::graphs::AudioExtractionJob job(clip, dir / "korvid.wav", {}, korvid::graphs::DvSoundLayout{true});
    korvid::graphs::JobProgress progress;
    job.Run(progress);
  });
  const std::string chain = korvid::graphs::SquarePixelChain(korvid::media::DvSystem::k625_50, false);
  const double ff_mp4_wall = Seconds([&] {
    Shell("ffmpeg -v error -nostdin -y -i " + Quoted(clip) + " -vf '" + chain + "' -c:v libx264 -preset medium -crf " +
          std::to_string(kQuality) + " -c:a aac -b:a 192k -ar 48000 " + Quoted(dir / "ffmpeg.mp4"));
  });
  const double ff_wav_wall = Seconds([&] {
    Shell("ffmpeg -v error -nostdin -y -i " + Quoted(clip) + " -map 0:a:0 -c:a pcm_s16le " +
          Quoted(dir / "ffmpeg.wav"));
  });

  ok = Report("korvid MP4", dir / "korvid.mp4", seconds, mp4_wall, 1.0) && ok;
  Report("ffmpeg MP4", dir / "ffmpeg.mp4", seconds, ff_mp4_wall, -1);
  ok = Report("korvid WAV", dir / "korvid.wav", seconds, wav_wall, 1.0) && ok;
  Report("ffmpeg WAV", dir / "ffmpeg.wav", seconds, ff_wav_wall, -1);
  std::printf("%s\n", ok ? "every check passed" : "A CHECK FAILED");
  fs::remove_all(dir);
  return ok ? 0 : 1;
}
