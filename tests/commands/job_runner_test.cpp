// Conversions and scene scans run through one wait. A run without a window
// waits by sleeping until the job wakes it: with the ticks an hour apart,
// only that wake can end these waits, so a finished job noticed only at a
// tick would hang the test.
#include "commands/job_runner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <sstream>
#include <thread>

#include "commands/headless_host.h"
#include "commands/process_flags.h"
#include "commands/scene_commands.h"
#include "commands/scene_files.h"
#include "graphs/dv_source.h"
#include "graphs/dv_type_jobs.h"
#include "media/avi_stream_analysis.h"
#include "support/avi_probe.h"
#include "support/list_samples.h"
#include "support/sample_set.h"
#include "support/scripted_host.h"
#include "support/test_env.h"

namespace korvid::commands {
namespace {

constexpr int kHourMs = 3'600'000;

// Runs a real job, but once it passes `stop_at` it raises the abort flag
// itself and holds still until the runner asks it to stop, so that the
// abort lands mid-file every time.
class AbortingJob : public graphs::ConversionJob {
 public:
  AbortingJob(std::unique_ptr<graphs::ConversionJob> inner, ProcessFlags& flags, std::int64_t stop_at)
      : inner_(std::move(inner)), flags_(flags), stop_at_(stop_at) {}
  std::int64_t Duration() const override { return inner_->Duration(); }
  const std::filesystem::path& Output() const override { return inner_->Output(); }
  void Run(graphs::JobProgress& outer) override {
    graphs::JobProgress* inner_progress = nullptr;
    graphs::JobProgress inner([&](std::int64_t ticks) {
      outer.SetPosition(ticks);
      if (ticks < stop_at_) return;
      flags_.AbortCommand = true;
      const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      while (!outer.StopRequested() && std::chrono::steady_clock::now() < give_up)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      inner_progress->RequestStop();
    });
    inner_progress = &inner;
    inner_->Run(inner);
  }

 private:
  std::unique_ptr<graphs::ConversionJob> inner_;
  ProcessFlags& flags_;
  std::int64_t stop_at_;
};

class FailingJob : public graphs::Job {
 public:
  void Run(graphs::JobProgress&) override { throw graphs::ConversionError("broken source"); }
};

TEST(JobRunner, HeadlessConversionsAndScansEndWhenTheirJobDoes) {
  test::TempDir dir;
  std::ostringstream messages;
  HeadlessHost host(messages, true);
  ProcessFlags flags;

  graphs::Type1To2Job job(test::StandardSample("pal_type1.avi"), dir / "out.avi");
  RunJob(job, host, flags.AbortCommand, kHourMs, [](const graphs::JobProgress&) { return kHourMs; });
  EXPECT_EQ(graphs::DvSource(dir / "out.avi").FrameCount(), 50u);

  const std::filesystem::path clip = test::CopyStandardSample("two_scenes.avi", dir.path());
  const media::TAfficherFichier entry = media::AnalyseFile(clip, test::PlainDatecodeFormat());
  graphs::SceneDetector detector;
  SceneScanServices services{host, flags.AbortCommand, detector, test::PlainDatecodeFormat(), {}, {}, kHourMs};
  ScnFileWriter scn;
  EXPECT_EQ(ScanScenes(scn, entry, services), SceneScanOutcome::kCompleted);
  EXPECT_GT(std::filesystem::file_size(dir / "two_scenes.scn"), 0u);
}

TEST(JobRunner, AnAbortMidFileLeavesAValidShorterAvi) {
  KORVID_REQUIRE_PROGRAM("ffprobe");
  test::TempDir dir;
  test::ScriptedHost host;
  ProcessFlags flags;
  ConvertTimer timer;
  timer.Enable();
  const auto output = dir / "cut.avi";
  AbortingJob job(std::make_unique<graphs::Type1To2Job>(test::StandardSample("pal_type1.avi"), output), flags,
                  graphs::DvFramesTicks(media::DvSystem::k625_50, 20));
  RunJob(job, host, flags.AbortCommand, timer.interval_ms, ConversionTick(host, timer, job.Duration()));
  const auto probed = test::ProbeFile(output);
  ASSERT_TRUE(probed);
  ASSERT_EQ(probed->streams.size(), 2u);
  EXPECT_EQ(probed->streams[0].read_frames, 20);
  EXPECT_EQ(graphs::DvSource(output).FrameCount(), 20u);
}

TEST(JobRunner, AFailedJobReportsItsError) {
  test::ScriptedHost host;
  ProcessFlags flags;
  FailingJob job;
  EXPECT_THROW(RunJob(job, host, flags.AbortCommand, kHourMs, [](const graphs::JobProgress&) { return kHourMs; }),
               graphs::ConversionError);
}

TEST(JobRunner, TheConversionTickMovesTheGaugeOnlyWhileSwitchedOn) {
  test::ScriptedHost host;
  ConvertTimer timer;
  graphs::JobProgress progress;
  const JobTick tick = ConversionTick(host, timer, 3 * graphs::kTicksPerSecond);
  progress.SetPosition(graphs::kTicksPerSecond);
  EXPECT_EQ(tick(progress), ConvertTimer::kFirstIntervalMs);
  EXPECT_TRUE(host.gauge.empty());

  timer.Enable();
  EXPECT_EQ(tick(progress), ConvertTimer::kIntervalMs);
  progress.SetPosition(3 * graphs::kTicksPerSecond);
  tick(progress);
  EXPECT_EQ(host.gauge, (std::vector<int>{33, 100}));  // truncated
}

}  // namespace
}  // namespace korvid::commands
