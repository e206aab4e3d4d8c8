// `--correct-clock` on generated clips: datecodes moved from a frame in the
// middle across 29 February, every other byte of the frames and the sound
// as it was, read back by the test's own pack reader, by Korvid and by
// mediainfo; outputs whole or absent.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <utility>
#include <string>
#include <vector>

#include "commands/clock_correction_commands.h"
#include "commands/correct_clock_option.h"
#include "graphs/dixmark.h"
#include "graphs/header_rewrite_job.h"
#include "graphs/scene_scan.h"
#include "media/avi_frame_index.h"
#include "media/avi_param.h"
#include "media/binary_file.h"
#include "media/dv_pack_layout.h"
#include "sample_clip.h"
#include "settings/preference_table.h"
#include "support/dv_pack_frames.h"
#include "support/mode_change_clip.h"
#include "support/test_env.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;
using media::TDatecode;

settings::Preferences SameFolder() {
  settings::Preferences preferences = settings::DefaultPreferences({}, false);
  preferences.saveInSameFolder = true;
  return preferences;
}

// Frame k of the clip one second before 29 February 2004 ends a day early.
samples::DvClipSpec LeapSpec() {
  samples::DvClipSpec spec;
  spec.file_name = "leap.avi";
  spec.frames = 60;
  spec.start = {2004, 2, 28, 23, 59, 59};
  return spec;
}

TDatecode PlusOneDay(TDatecode dc) {
  // 28 February 2004 moves to the 29th, the 29th to 1 March.
  if (dc.month == 2 && dc.day == 28) {
    dc.day = 29;
  } else {
    dc.month = 3;
    dc.day = 1;
  }
  return dc;
}

// Bytes of the date and time packs (data bytes) of a frame.
std::vector<bool> DatePackBytes(const std::vector<std::uint8_t>& frame) {
  std::vector<bool> marked(frame.size(), false);
  media::ForEachPackSlot(std::span<const std::uint8_t>(frame), [&](const media::PackSlot& slot) {
    if (frame[slot.offset] != media::kRecordingDatePack && frame[slot.offset] != media::kRecordingTimePack) return;
    for (std::size_t i = 1; i < media::kPackBytes; ++i) marked[slot.offset + i] = true;
  });
  return marked;
}

std::string AudioMd5(const fs::path& file) {
  return test::RunCommand({"ffmpeg", "-v", "error", "-i", file.string(), "-map", "0:a", "-f", "md5", "-"}).output;
}

class CorrectClockTest : public ::testing::Test {
 protected:
  int Run(const std::vector<std::string>& args) {
    out_.str({});
    err_.str({});
    return commands::RunCorrectClock(args, SameFolder(), out_, err_);
  }
  test::TempDir dir_;
  std::ostringstream out_, err_;
};

TEST_F(CorrectClockTest, MovesTheDatecodesFromTheFrameGivenAndNothingElse) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  const samples::DvClipSpec spec = LeapSpec();
  const fs::path clip = dir_ / spec.file_name;
  samples::WriteDvClip(clip, spec);
  ASSERT_EQ(Run({"+1d", "--from-frame", "25", clip.string()}), 0) << err_.str();
  const fs::path output = dir_ / "leap_clock+1d.avi";
  EXPECT_EQ(out_.str(), output.string() +
                            "\tmade\tfirst 2004-02-29 00:00:00 -> 2004-03-01 00:00:00"
                            "\tlast 2004-02-29 00:00:01 -> 2004-03-01 00:00:01\n");

  const auto before = test::ReadAllDvFrames(clip);
  const auto after = test::ReadAllDvFrames(output);
  ASSERT_EQ(after.size(), before.size());
  graphs::SceneFrameReader korvid_reader(output);
  for (std::size_t k = 0; k < before.size(); ++k) {
    SCOPED_TRACE("frame " + std::to_string(k));
    const TDatecode source = samples::DatecodeOfFrame(spec, static_cast<int>(k));
    const TDatecode expected = k < 25 ? source : PlusOneDay(source);
    EXPECT_EQ(test::FixedDatecode(after[k]), expected);
    EXPECT_EQ(korvid_reader.Read(k).datecode, expected);
    if (k < 25) {
      EXPECT_EQ(after[k], before[k]);
      continue;
    }
    const std::vector<bool> packs = DatePackBytes(before[k]);
    ASSERT_EQ(after[k].size(), before[k].size());
    for (std::size_t i = 0; i < before[k].size(); ++i)
      if (!packs[i]) {
        ASSERT_EQ(after[k][i], before[k][i]) << "byte " << i;
      }
  }
  EXPECT_EQ(AudioMd5(output), AudioMd5(clip));
  EXPECT_FALSE(AudioMd5(clip).empty());
}

TEST_F(CorrectClockTest, MediainfoReadsTheCorrectedDateAndABackwardOffsetCrossesMidnight) {
  KORVID_REQUIRE_PROGRAM("mediainfo");
  samples::DvClipSpec spec = LeapSpec();
  spec.start = {2005, 3, 1, 0, 20, 0};
  spec.dv_type = 1;
  const fs::path clip = dir_ / spec.file_name;
  samples::WriteDvClip(clip, spec);
  ASSERT_EQ(Run({"-0:59:30", clip.string()}), 0) << err_.str();
  const fs::path output = dir_ / "leap_clock-59m30s.avi";
  EXPECT_EQ(test::MediaInfoField(output, "Recorded_Date").substr(0, 19), "2005-02-28 23:20:30");
  EXPECT_EQ(test::FixedDatecode(test::ReadAllDvFrames(output).front()), (TDatecode{2005, 2, 28, 23, 20, 30}));

  // Again: the output is replaced, and says so.
  ASSERT_EQ(Run({"-0:59:30", clip.string()}), 0) << err_.str();
  EXPECT_NE(out_.str().find("\treplaced\t"), std::string::npos) << out_.str();
}

TEST_F(CorrectClockTest, WrongArgumentsAndUnrecordableDatesLeaveNoOutput) {
  samples::DvClipSpec spec = LeapSpec();
  spec.start = {2039, 12, 31, 23, 0, 0};
  spec.frames = 20;
  const fs::path clip = dir_ / spec.file_name;
  samples::WriteDvClip(clip, spec);
  const auto names = [&] {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(dir_.path())) found.push_back(entry.path().filename().string());
    return found;
  };

  EXPECT_EQ(Run({"+1x", clip.string()}), 2);
  EXPECT_NE(err_.str().find("is not a clock offset"), std::string::npos) << err_.str();
  EXPECT_EQ(Run({"+1d"}), 2);
  EXPECT_EQ(Run({"+1d", "--from-frame", "-3", clip.string()}), 2);
  EXPECT_EQ(Run({"+1d", "--from-frame", "20", clip.string()}), 1);
  EXPECT_NE(err_.str().find("past the end"), std::string::npos) << err_.str();
  // 2039 is the last year a DV date pack can hold.
  EXPECT_EQ(Run({"+2:00", clip.string(), (dir_ / "missing.avi").string()}), 1);
  EXPECT_NE(err_.str().find("cannot be recorded"), std::string::npos) << err_.str();
  EXPECT_NE(err_.str().find("missing.avi"), std::string::npos) << err_.str();
  EXPECT_EQ(names(), std::vector<std::string>{"leap.avi"});
}

// A damaged chunk is stood in for by the frame before it, as already
// rewritten: its clock must not move a second time (the hour shift did so).
TEST_F(CorrectClockTest, AStandInForADamagedFrameIsMovedOnce) {
  samples::DvClipSpec spec = LeapSpec();
  spec.dv_type = 1;
  spec.frames = 20;
  spec.start = {2005, 8, 14, 15, 2, 11};
  const fs::path clip = dir_ / "damaged.avi";
  samples::WriteDvClip(clip, spec);
  // Frame 10 loses its DIF header blocks: that chunk is no DV frame.
  media::FrameLocation where;
  {
    const media::BinaryFile opened(clip, media::BinaryFile::Mode::kRead);
    const media::TAviParam param(opened);
    where = media::AviFrameIndex::Load(opened, param).FramesOf(*media::FindDvVideoStream(param))[10];
  }
  std::vector<std::uint8_t> bytes = test::ReadWholeFile(clip);
  std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(where.offset), 3 * media::kDifBlockBytes, std::uint8_t{0});
  test::WriteWholeFile(clip, bytes);
  graphs::Dixmark hourShift;
  hourShift.SetEnabled(1);
  hourShift.SetHourOffset(2);
  hourShift.SetInPlace(1);
  const std::vector<std::pair<std::string, std::unique_ptr<graphs::ConversionJob>>> jobs = [&] {
    std::vector<std::pair<std::string, std::unique_ptr<graphs::ConversionJob>>> made;
    made.emplace_back("hour shift", std::make_unique<graphs::HeaderRewriteJob>(clip, dir_ / "shifted.avi", hourShift));
    made.emplace_back("clock", commands::MakeClockCorrectionJob(clip, dir_ / "corrected.avi", 7200, 0));
    return made;
  }();
  for (const auto& [name, job] : jobs) {
    SCOPED_TRACE(name);
    graphs::JobProgress progress;
    job->Run(progress);
    const auto out = test::ReadAllDvFrames(job->Output());
    ASSERT_EQ(out.size(), 20u);
    EXPECT_EQ(out[10], out[9]);
    EXPECT_EQ(test::FixedDatecode(out[10]), (TDatecode{2005, 8, 14, 17, 2, 11}));
  }
}

}  // namespace
}  // namespace korvid
