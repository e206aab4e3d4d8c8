// A run without a window waits for its jobs by sleeping until they wake
// it. With the progress ticks an hour apart, only that wake can end these
// waits: were a finished job noticed only at a tick, the test would hang.
#include <gtest/gtest.h>

#include <atomic>
#include <sstream>

#include "commands/headless_host.h"
#include "commands/process_flags.h"
#include "commands/scene_commands.h"
#include "commands/scene_files.h"
#include "graphs/dv_source.h"
#include "graphs/dv_type_jobs.h"
#include "graphs/graph_holders.h"
#include "media/avi_stream_analysis.h"
#include "support/list_samples.h"
#include "support/sample_set.h"
#include "support/test_env.h"

namespace korvid::commands {
namespace {

constexpr int kHourMs = 3'600'000;

TEST(HeadlessWait, ConversionsAndScenesEndWhenTheirJobDoes) {
  test::TempDir dir;
  std::ostringstream messages;
  HeadlessHost host(messages, true);

  graphs::TCdm cdm;
  ProcessFlags flags;
  cdm.convertTimer.interval_ms = kHourMs;
  cdm.SetConversionJob(std::make_unique<graphs::Type1To2Job>(test::StandardSample("pal_type1.avi"), dir / "out.avi"));
  ASSERT_TRUE(cdm.RunConversionGraph(host, flags));
  EXPECT_EQ(graphs::DvSource(dir / "out.avi").FrameCount(), 50u);

  const std::filesystem::path clip = test::CopyStandardSample("two_scenes.avi", dir.path());
  const media::TAfficherFichier entry = media::AnalyseFile(clip, test::PlainDatecodeFormat());
  std::atomic<bool> abort{false};
  graphs::SceneDetector detector;
  SceneScanServices services{host, abort, detector, test::PlainDatecodeFormat(), {}, {}, kHourMs};
  ScnFileWriter scn;
  EXPECT_EQ(ScanScenes(scn, entry, services), SceneScanOutcome::kCompleted);
  EXPECT_GT(std::filesystem::file_size(dir / "two_scenes.scn"), 0u);
}

}  // namespace
}  // namespace korvid::commands
