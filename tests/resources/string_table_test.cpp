#include "resources/string_table.h"

#include <gtest/gtest.h>

#include <cstddef>

namespace korvid::resources {
namespace {

TEST(StringTable, EveryTextIsPresentAndLooksUpItsOwnEntry) {
  for (std::size_t i = 0; i < static_cast<std::size_t>(Text::kCount); ++i)
    EXPECT_FALSE(Str(static_cast<Text>(i)).empty()) << "text " << i;
  EXPECT_EQ(Str(Text::kRenameThisFile), "Do you want to rename this file?");
  EXPECT_TRUE(Str(Text::kCount).empty());
}

TEST(StringTable, FillPutsValuesInOrderAndLeavesTheirOwnPercentSignsAlone) {
  // A file name may itself hold "%s"; it must not swallow the next value.
  EXPECT_EQ(Fill(Text::kRenameFileTo, {"a%s.avi", "b.avi"}), "Do you want to rename the file  'a%s.avi' in 'b.avi'?");
  EXPECT_EQ(Fill(Text::kRenameFileTo, {"a.avi"}), "Do you want to rename the file  'a.avi' in ''?");
  EXPECT_EQ(Fill(Text::kRenameThisFile, {"unused"}), "Do you want to rename this file?");
}

}  // namespace
}  // namespace korvid::resources
