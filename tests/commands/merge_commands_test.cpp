#include "commands/merge_commands.h"

#include <gtest/gtest.h>

#include "graphs/filter_availability.h"
#include "support/sample_set.h"
#include "support/scripted_host.h"
#include "support/test_env.h"

namespace korvid::commands {
namespace {

struct Fixture {
  ConvertTimer timer;
  settings::Preferences preferences;
  graphs::FilterAvailability availability;
  test::ScriptedHost host;
  ProcessFlags flags;
  ConversionServices Services() { return {timer, preferences, availability, host, flags}; }
};

// The plan is asked about before anything is written; no writes nothing,
// yes writes NAME_merged.avi beside the first capture.
TEST(MergeSelectedCaptures, AsksWithThePlanAndWritesOnlyOnYes) {
  test::TempDir dir;
  const auto first = test::CopyStandardSample("pal_type1.avi", dir.path());
  const auto second = test::CopyStandardSample("pal_type2.avi", dir.path());
  Fixture f;
  f.host.answers = {Answer::kNo, Answer::kYes};
  auto services = f.Services();
  EXPECT_EQ(MergeSelectedCaptures({first, second}, services), std::nullopt);
  ASSERT_EQ(f.host.questions.size(), 1u);
  EXPECT_NE(f.host.questions[0].text.find("capture 2: " + second.string()), std::string::npos)
      << f.host.questions[0].text;
  EXPECT_FALSE(std::filesystem::exists(dir / "pal_type1_merged.avi"));

  EXPECT_EQ(MergeSelectedCaptures({first, second}, services), dir / "pal_type1_merged.avi");
  EXPECT_TRUE(std::filesystem::exists(dir / "pal_type1_merged_merge.csv"));
  EXPECT_TRUE(std::filesystem::exists(dir / "pal_type1_merged_recapture.txt"));

  media::TAfficherFichier dv;
  dv.isDV = true;
  media::TAfficherFichier other;
  EXPECT_TRUE(CanMergeSelection({&dv, &dv}));
  EXPECT_FALSE(CanMergeSelection({&dv}));
  EXPECT_FALSE(CanMergeSelection({&dv, &other}));
}

}  // namespace
}  // namespace korvid::commands
