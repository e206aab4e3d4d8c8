#include "settings/loaded_folders.h"

#include <gtest/gtest.h>

#include "support/test_env.h"

namespace korvid::settings {
namespace {

TEST(LoadedFolders, TrailingSeparator) {
  EXPECT_EQ(WithTrailingSeparator("/home/a"), "/home/a/");
  EXPECT_EQ(WithTrailingSeparator("/home/a/"), "/home/a/");
  EXPECT_EQ(WithTrailingSeparator("/home/a//"), "/home/a/");
  EXPECT_EQ(WithTrailingSeparator("/"), "/");
  EXPECT_EQ(WithTrailingSeparator(""), "");
}

TEST(LoadedFolders, MissingOutputFolderMeansSameFolder) {
  test::TempDir dir;
  Preferences p;
  p.openFolder = dir.path().string();
  p.outputFolder = (dir / "gone").string();
  p.saveInSameFolder = false;
  SettleLoadedFolders(p);
  EXPECT_EQ(p.openFolder, dir.path().string() + "/");
  EXPECT_TRUE(p.saveInSameFolder);

  p.outputFolder = dir.path().string();
  p.saveInSameFolder = false;
  SettleLoadedFolders(p);
  EXPECT_FALSE(p.saveInSameFolder);
  EXPECT_EQ(p.outputFolder, dir.path().string() + "/");
}

}  // namespace
}  // namespace korvid::settings
