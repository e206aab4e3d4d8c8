#include "commands/merge_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "support/sample_set.h"
#include "support/test_env.h"

namespace korvid::commands {
namespace {

using test::StandardSample;
using test::TempDir;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

Outcome Merge(const std::vector<std::string>& arguments) {
  std::ostringstream out;
  std::ostringstream err;
  Outcome run;
  run.status = RunMergeCommand(arguments, out, err);
  run.out = out.str();
  run.err = err.str();
  return run;
}

std::vector<std::filesystem::path> Entries(const std::filesystem::path& dir) {
  std::vector<std::filesystem::path> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().filename());
  return names;
}

TEST(MergeCommand, PlanPrintsAndWritesNothingWhileARunWritesAllThree) {
  TempDir dir;
  const std::string type1 = StandardSample("pal_type1.avi").string();
  const std::string type2 = StandardSample("pal_type2.avi").string();
  const Outcome plan = Merge({"--plan", (dir / "m.avi").string(), type1, type2});
  EXPECT_EQ(plan.status, 0) << plan.err;
  EXPECT_NE(plan.out.find("capture 2: " + type2), std::string::npos) << plan.out;
  EXPECT_NE(plan.out.find("no frame is damaged"), std::string::npos) << plan.out;
  EXPECT_TRUE(Entries(dir.path()).empty());

  const Outcome run = Merge({"--type", "2", (dir / "m.avi").string(), type1, type2});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.rfind(plan.out, 0), 0u) << run.out;
  for (const char* name : {"m.avi", "m_merge.csv", "m_recapture.txt"})
    EXPECT_TRUE(std::filesystem::exists(dir / name)) << name;
  EXPECT_EQ(Entries(dir.path()).size(), 3u);  // no temporary left beside them
}

TEST(MergeCommand, RefusalsAndWrongArgumentsExitTwoAndWriteNothing) {
  TempDir dir;
  const std::string out = (dir / "m.avi").string();
  const std::string type1 = StandardSample("pal_type1.avi").string();
  const std::string other = StandardSample("two_scenes.avi").string();

  const Outcome unrelated = Merge({out, type1, other});
  EXPECT_EQ(unrelated.status, 2);
  EXPECT_NE(unrelated.err.find(other + " has no frame in common"), std::string::npos) << unrelated.err;

  const Outcome systems = Merge({out, type1, StandardSample("ntsc_type2.avi").string()});
  EXPECT_EQ(systems.status, 2);
  EXPECT_NE(systems.err.find("one TV system"), std::string::npos) << systems.err;

  EXPECT_EQ(Merge({out, type1}).status, 2);
  EXPECT_EQ(Merge({"--type", "3", out, type1, type1}).status, 2);
  EXPECT_EQ(Merge({"--fast", out, type1, type1}).status, 2);
  EXPECT_EQ(Merge({type1, type1, StandardSample("pal_type2.avi").string()}).status, 2);
  EXPECT_TRUE(Entries(dir.path()).empty());

  const Outcome missing = Merge({out, type1, (dir / "absent.avi").string()});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("absent.avi"), std::string::npos) << missing.err;

  const Outcome forced = Merge({"--force", out, type1, other});
  EXPECT_EQ(forced.status, 0) << forced.err;
  EXPECT_NE(forced.out.find("not used"), std::string::npos) << forced.out;
}

}  // namespace
}  // namespace korvid::commands
