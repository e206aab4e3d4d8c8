// The player frame playing a long PAL DV clip: time from OpenInPlayer to
// frame 0 on screen, time from a step to its frame on screen, the delay
// from the first Play after opening a file to its sound starting and its
// picture moving, the time from a move of the dragged track bar handle to
// the frame under it on screen, the CPU the
// process uses while playing at 25 frames a second, and how far the picture
// on screen is from the sound clock, and the sound clock from the wall
// clock, after a long run. For comparison, ffmpeg decoding the same clip at
// its own pace (`ffmpeg -re -i F -f null -`) for as long, timed in the same
// run.
//
//   player_bench [clip.avi [seconds of playing, default 600]]
//
// Runs on any Qt platform (QT_QPA_PLATFORM=offscreen works); the sound
// clock needs a sound device (a PulseAudio null sink will do), else the
// system clock leads and the report says so.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QMouseEvent>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <vector>

#include "media/avi_stream_analysis.h"
#include "sample_clip.h"
#include "settings/date_time_format.h"
#include "ui/player_frame.h"
#include "ui/video_surface.h"
#include "bench_support.h"

namespace {

using korvid::bench::CpuSeconds;
using korvid::bench::LongClip;
using korvid::bench::Median;
using korvid::bench::MsSince;
using korvid::bench::RunQuietly;

using Clock = std::chrono::steady_clock;

// CPU seconds of `ffmpeg -re` decoding `seconds` of the clip.
double FfmpegRealTimeCpu(const std::filesystem::path& clip, int seconds) {
  const double before = CpuSeconds(RUSAGE_CHILDREN);
  if (!RunQuietly({"ffmpeg", "-v", "error", "-nostdin", "-re", "-i", clip.string(), "-t",
                                  std::to_string(seconds), "-f", "null", "-"}))
    return -1;
  return CpuSeconds(RUSAGE_CHILDREN) - before;
}

// Runs the event loop, waiting for events as the program's own loop does.
void RunFor(double ms) {
  QEventLoop loop;
  QTimer::singleShot(static_cast<int>(ms), &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const auto clip = LongClip(argc, argv);
  const int play_seconds = argc > 2 ? std::atoi(argv[2]) : 600;
  const std::string format = "dd/mm/yyyy hh:nn:ss";
  const auto entry = korvid::media::AnalyseFile(clip, {format, korvid::settings::EnglishLocaleFormats()});

  korvid::settings::Preferences prefs;
  prefs.displayDatecodeFormat = format;
  prefs.incrustFont = {21, 0x00FFFFFF, "Liberation Sans"};
  prefs.autoFontSize = true;
  prefs.inlayOn = true;  // the overlay drawn on every frame, as users see it
  prefs.inlayPositionX = 920;
  prefs.inlayPositionY = 120;
  korvid::ui::TBaseFrame frame(prefs, korvid::settings::EnglishLocaleFormats());
  frame.show();

  std::vector<double> open_ms;
  for (int run = 0; run < 20; ++run) {
    frame.ClearPlayer();
    const auto start = Clock::now();
    if (!frame.OpenInPlayer(entry) || frame.vw->Picture().isNull()) return 1;
    open_ms.push_back(MsSince(start));
  }

  // The first Play after each opening: how far the sound clock, which the
  // pictures follow, stays behind the wall clock once both run (the delay
  // until the sound is heard), and the time until the second frame is on
  // screen. The first of all opens the sound server's connection and is
  // told apart.
  std::vector<double> sound_ms;
  std::vector<double> moving_ms;
  double first_sound_ms = -1;
  bool played_with_sound = true;
  for (int run = 0; run < 6; ++run) {
    frame.ClearPlayer();
    if (!frame.OpenInPlayer(entry)) {
      std::printf("cannot open %s\n", clip.c_str());
      return 1;
    }
    const auto start = Clock::now();
    frame.PlayStop();
    const double base = frame.Engine().ClockMs();
    double moved = -1;
    while (MsSince(start) < 2000) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
      if (moved < 0 && frame.Engine().ShownFrame() >= 1) moved = MsSince(start);
    }
    const double behind = MsSince(start) - (frame.Engine().ClockMs() - base);
    played_with_sound = played_with_sound && frame.Engine().UsesSoundClock();
    frame.PausePlayer();
    if (run == 0) {
      first_sound_ms = behind;
      continue;
    }
    sound_ms.push_back(behind);
    moving_ms.push_back(moved);
  }

  const std::int64_t frames = frame.Engine().Source()->FrameCount();

  // Dragging the track bar's handle across the bar, 4 pixels a move.
  frame.GoToStart();
  std::vector<double> scrub_ms;
  {
    QSlider& bar = *frame.tb;
    QStyleOptionSlider option;
    option.initFrom(&bar);
    option.orientation = Qt::Horizontal;
    option.minimum = bar.minimum();
    option.maximum = bar.maximum();
    option.sliderPosition = bar.value();
    const QPoint handle =
        bar.style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, &bar).center();
    const auto mouse = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
      QMouseEvent event(type, at, bar.mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
      QCoreApplication::sendEvent(&bar, &event);
    };
    mouse(QEvent::MouseButtonPress, handle, Qt::LeftButton);
    for (int x = handle.x() + 4; x < bar.width() - 4; x += 4) {
      const auto start = Clock::now();
      mouse(QEvent::MouseMove, QPoint(x, handle.y()), Qt::LeftButton);
      const std::int64_t under =
          std::min(frames - 1, static_cast<std::int64_t>(bar.sliderPosition()) * frames / bar.maximum());
      if (frame.Engine().ShownFrame() != under) {
        std::printf("the frame under the handle (%lld) is not on screen (%lld)\n", static_cast<long long>(under),
                    static_cast<long long>(frame.Engine().ShownFrame()));
        return 1;
      }
      scrub_ms.push_back(MsSince(start));
    }
    mouse(QEvent::MouseButtonRelease, QPoint(bar.width() - 8, handle.y()), Qt::NoButton);
  }

  std::vector<double> step_ms;
  std::mt19937 random(15);
  std::uniform_int_distribution<std::int64_t> pick(1, frames - 2);
  for (int run = 0; run < 100; ++run) {
    const std::int64_t k = pick(random);
    auto start = Clock::now();
    frame.SeekToFrame(k);
    step_ms.push_back(MsSince(start));
    start = Clock::now();
    frame.FrameForward();
    step_ms.push_back(MsSince(start));
    if (frame.Engine().ShownFrame() != k + 1) return 1;
  }

  // Play from the start; note each frame's distance from the clock as it comes on screen.
  frame.GoToStart();
  std::int64_t shown = 0;
  double worst_late_ms = 0;
  double last_drift_ms = 0;
  QObject::connect(&frame.Engine(), &korvid::ui::PlayerEngine::FrameShown, [&](const korvid::graphs::PlaybackFrame& f) {
    ++shown;
    last_drift_ms = frame.Engine().ClockMs() - static_cast<double>(f.time_ms);
    worst_late_ms = std::max(worst_late_ms, last_drift_ms);
  });
  const double cpu_before = CpuSeconds(RUSAGE_SELF);
  const auto play_start = Clock::now();
  frame.PlayStop();
  const bool sound_clock = frame.Engine().UsesSoundClock();
  const double clock_at_start = frame.Engine().ClockMs();
  // A sound server may take a moment to start playing (a PulseAudio null
  // sink holds the first second): the clocks are compared from 5 s on.
  constexpr double kSettleMs = 5000;
  RunFor(kSettleMs);
  const double settled_wall_ms = MsSince(play_start);
  const double settled_clock_ms = frame.Engine().ClockMs();
  RunFor(play_seconds * 1000.0 - kSettleMs);
  const double wall_ms = MsSince(play_start);
  const double clock_ms = frame.Engine().ClockMs() - clock_at_start;
  const double clock_gain_ms = (frame.Engine().ClockMs() - settled_clock_ms) - (wall_ms - settled_wall_ms);
  const double start_delay_ms = settled_wall_ms - (settled_clock_ms - clock_at_start);
  const double cpu = CpuSeconds(RUSAGE_SELF) - cpu_before;
  const std::int64_t on_screen = frame.Engine().ShownFrame();
  frame.PausePlayer();

  const int ffmpeg_seconds = std::min(play_seconds, 60);
  const double ffmpeg_cpu = FfmpegRealTimeCpu(clip, ffmpeg_seconds);

  std::printf("clip: %s, %lld frames\n", clip.c_str(), static_cast<long long>(frames));
  std::printf("open to frame 0 on screen: median %.2f ms, max %.2f ms (20 runs)\n", Median(open_ms),
              *std::max_element(open_ms.begin(), open_ms.end()));
  std::printf("step to its frame on screen: median %.2f ms, max %.2f ms (100 seeks, 100 one-frame steps)\n",
              Median(step_ms), *std::max_element(step_ms.begin(), step_ms.end()));
  std::printf("first Play after opening, to its sound: median %.1f ms, max %.1f ms (5 files; the first of the process "
              "%.1f ms)%s\n",
              Median(sound_ms), *std::max_element(sound_ms.begin(), sound_ms.end()), first_sound_ms,
              played_with_sound ? "" : " [no sound device: system clock]");
  std::printf("first Play after opening, to its second frame on screen: median %.1f ms, max %.1f ms\n",
              Median(moving_ms), *std::max_element(moving_ms.begin(), moving_ms.end()));
  std::printf("track bar dragged: handle move to the frame under it on screen: median %.2f ms, max %.2f ms (%zu moves)\n",
              Median(scrub_ms), *std::max_element(scrub_ms.begin(), scrub_ms.end()), scrub_ms.size());
  std::printf("played %.1f s (%s clock): %lld frames shown of %.0f due, frame on screen %lld\n", wall_ms / 1000,
              sound_clock ? "sound" : "system", static_cast<long long>(shown), clock_ms / 40.0,
              static_cast<long long>(on_screen));
  std::printf("CPU while playing with the overlay: %.1f%% of one core\n", 100 * cpu / (wall_ms / 1000));
  std::printf("picture behind its clock at the end: %.1f ms (worst %.1f ms)\n", last_drift_ms, worst_late_ms);
  std::printf("clock start-up delay %.0f ms; clock vs wall from 5 s to %.0f s: %+.1f ms\n", start_delay_ms,
              wall_ms / 1000, clock_gain_ms);
  if (ffmpeg_cpu >= 0)
    std::printf("ffmpeg -re -t %d -i clip -f null -: %.1f%% of one core\n", ffmpeg_seconds,
                100 * ffmpeg_cpu / ffmpeg_seconds);
  return 0;
}
