#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "commands/process_flags.h"
#include "graphs/dv_type_jobs.h"
#include "graphs/graph_holders.h"
#include "support/avi_probe.h"
#include "support/sample_set.h"
#include "support/scripted_host.h"
#include "support/test_env.h"

namespace korvid::graphs {
namespace {

using test::ScriptedHost;
using test::TempDir;

// Runs a real job, but once it passes `stop_at` it raises the abort flag
// itself and holds still until the holder asks it to stop, so that the
// abort lands mid-file every time.
class AbortingJob : public ConversionJob {
 public:
  AbortingJob(std::unique_ptr<ConversionJob> inner, commands::ProcessFlags& flags, std::int64_t stop_at)
      : inner_(std::move(inner)), flags_(flags), stop_at_(stop_at) {}
  std::int64_t Duration() const override { return inner_->Duration(); }
  const std::filesystem::path& Output() const override { return inner_->Output(); }
  void Run(JobProgress& outer) override {
    JobProgress* inner_progress = nullptr;
    JobProgress inner([&](std::int64_t ticks) {
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
  std::unique_ptr<ConversionJob> inner_;
  commands::ProcessFlags& flags_;
  std::int64_t stop_at_;
};

class FailingJob : public ConversionJob {
 public:
  explicit FailingJob(std::filesystem::path output) : output_(std::move(output)) {}
  std::int64_t Duration() const override { return kTicksPerSecond; }
  const std::filesystem::path& Output() const override { return output_; }
  void Run(JobProgress&) override { throw ConversionError("broken source"); }

 private:
  std::filesystem::path output_;
};

class EmptyJob : public FailingJob {
 public:
  using FailingJob::FailingJob;
  std::int64_t Duration() const override { return 0; }
};

TEST(ConversionRun, RunsAJobToCompletionAndReleasesIt) {
  TempDir dir;
  TCdm cdm;
  ScriptedHost host;
  commands::ProcessFlags flags;
  cdm.SetConversionJob(std::make_unique<Type1To2Job>(test::StandardSample("pal_type1.avi"), dir / "out.avi"));
  EXPECT_TRUE(cdm.fg.Active());
  ASSERT_TRUE(cdm.RunConversionGraph(host, flags));
  EXPECT_TRUE(cdm.conversionComplete);
  EXPECT_EQ(cdm.conversionDuration, 2 * kTicksPerSecond);
  EXPECT_FALSE(cdm.progressSource);
  EXPECT_FALSE(cdm.HasConversionJob());
  EXPECT_FALSE(cdm.fg.Active());
  EXPECT_EQ(DvSource(dir / "out.avi").FrameCount(), 50u);
}

TEST(ConversionRun, AnAbortMidFileLeavesAValidShorterAvi) {
  KORVID_REQUIRE_PROGRAM("ffprobe");
  TempDir dir;
  TCdm cdm;
  ScriptedHost host;
  commands::ProcessFlags flags;
  const auto output = dir / "cut.avi";
  auto inner = std::make_unique<Type1To2Job>(test::StandardSample("pal_type1.avi"), output);
  cdm.SetConversionJob(std::make_unique<AbortingJob>(std::move(inner), flags, DvFramesTicks(media::DvSystem::k625_50, 20)));
  ASSERT_TRUE(cdm.RunConversionGraph(host, flags));
  const auto probed = test::ProbeFile(output);
  ASSERT_TRUE(probed);
  ASSERT_EQ(probed->streams.size(), 2u);
  EXPECT_EQ(probed->streams[0].read_frames, 20);
  EXPECT_EQ(DvSource(output).FrameCount(), 20u);
}

TEST(ConversionRun, AFailedJobReportsItsError) {
  TempDir dir;
  TCdm cdm;
  ScriptedHost host;
  commands::ProcessFlags flags;
  cdm.SetConversionJob(std::make_unique<FailingJob>(dir / "bad.avi"));
  EXPECT_THROW(cdm.RunConversionGraph(host, flags), ConversionError);
  EXPECT_FALSE(cdm.progressSource);
}

TEST(ConversionRun, ZeroDurationRunsNothing) {
  TempDir dir;
  TCdm cdm;
  ScriptedHost host;
  commands::ProcessFlags flags;
  EXPECT_FALSE(cdm.RunConversionGraph(host, flags));  // nothing built
  cdm.SetConversionJob(std::make_unique<EmptyJob>(dir / "none.avi"));
  EXPECT_FALSE(cdm.RunConversionGraph(host, flags));
  EXPECT_FALSE(std::filesystem::exists(dir / "none.avi"));
  EXPECT_EQ(host.processEventsCalls, 0);
}

TEST(ConversionRun, TickFeedsTheGaugeAndHonoursAbort) {
  TCdm cdm;
  ScriptedHost host;
  commands::ProcessFlags flags;
  cdm.progressSource = std::make_shared<JobProgress>();
  cdm.conversionDuration = 3 * kTicksPerSecond;
  cdm.convertTimer.Enable();
  EXPECT_EQ(cdm.convertTimer.interval_ms, 250);
  cdm.progressSource->SetPosition(kTicksPerSecond);
  cdm.ConvertTimerTick(host, flags);
  EXPECT_EQ(host.gauge.back(), 33);  // truncated
  EXPECT_FALSE(cdm.conversionComplete);
  EXPECT_EQ(cdm.convertTimer.interval_ms, 100);
  cdm.progressSource->SetPosition(3 * kTicksPerSecond);
  cdm.ConvertTimerTick(host, flags);
  EXPECT_EQ(host.gauge.back(), 100);
  EXPECT_TRUE(cdm.conversionComplete);

  cdm.conversionComplete = false;
  cdm.progressSource->SetPosition(0);
  flags.AbortCommand = true;
  cdm.ConvertTimerTick(host, flags);
  EXPECT_TRUE(cdm.conversionComplete);
  EXPECT_TRUE(cdm.progressSource->StopRequested());
}

}  // namespace
}  // namespace korvid::graphs
