#include "graphs/datecode_cues.h"

#include <gtest/gtest.h>

namespace korvid::graphs {
namespace {

using media::TDatecode;

TEST(DatecodeCues, OneCuePerSecondRunAndNoneForUndatedOrMissingFrames) {
  const TDatecode a{2024, 5, 1, 10, 0, 0};
  const TDatecode b{2024, 5, 1, 10, 0, 1};
  const TDatecode none{};
  DatecodeCueBuilder builder;
  int frame = 0;
  for (int i = 0; i < 3; ++i) builder.Add(frame++, a);
  for (int i = 0; i < 2; ++i) builder.Add(frame++, b);
  for (int i = 0; i < 4; ++i) builder.Add(frame++, none);  // 5..8 undated
  builder.Add(frame++, b);                                 // 9: same second again, a new cue
  builder.Add(frame + 1, b);                               // 11: frame 10 was never read
  const auto cues = builder.Finish();
  ASSERT_EQ(cues.size(), 4u);
  EXPECT_EQ(cues[0].firstFrame, 0);
  EXPECT_EQ(cues[0].endFrame, 3);
  EXPECT_EQ(cues[0].datecode, a);
  EXPECT_EQ(cues[1].firstFrame, 3);
  EXPECT_EQ(cues[1].endFrame, 5);
  EXPECT_EQ(cues[2].firstFrame, 9);
  EXPECT_EQ(cues[2].endFrame, 10);
  EXPECT_EQ(cues[3].firstFrame, 11);
  EXPECT_EQ(cues[3].endFrame, 12);
}

}  // namespace
}  // namespace korvid::graphs
