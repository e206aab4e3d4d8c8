#include "graphs/scene_detector.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <vector>

#include "graphs/scene_scan.h"
#include "media/avi_stream_analysis.h"
#include "media/avi_writer.h"
#include "media/dv_pack_layout.h"
#include "support/dv_pack_frames.h"
#include "support/test_env.h"

namespace korvid::graphs {
namespace {

using media::TDatecode;
using media::TTimecode;

// A frame's datecode `seconds` after `start`, across days, months and years.
TDatecode After(const TDatecode& start, std::int64_t seconds) {
  using namespace std::chrono;
  const sys_seconds base = sys_days{year_month_day{year{start.year}, month{start.month}, day{start.day}}} +
                           hours{start.hour} + minutes{start.minute} + std::chrono::seconds{start.second};
  const sys_seconds moment = base + std::chrono::seconds{seconds};
  const sys_days d = floor<days>(moment);
  const year_month_day ymd{d};
  const hh_mm_ss t{moment - d};
  return {static_cast<int>(ymd.year()), static_cast<std::uint8_t>(static_cast<unsigned>(ymd.month())),
          static_cast<std::uint8_t>(static_cast<unsigned>(ymd.day())), static_cast<std::uint8_t>(t.hours().count()),
          static_cast<std::uint8_t>(t.minutes().count()), static_cast<std::uint8_t>(t.seconds().count())};
}

// 25 frames a second from `start`.
std::vector<TDatecode> Recording(const TDatecode& start, int frames, std::int64_t offset_seconds = 0) {
  std::vector<TDatecode> out;
  for (int i = 0; i < frames; ++i) out.push_back(After(start, offset_seconds + i / 25));
  return out;
}

void Add(std::vector<TDatecode>& to, const std::vector<TDatecode>& more) { to.insert(to.end(), more.begin(), more.end()); }

struct Bounds {
  int start;
  int end;
  friend bool operator==(const Bounds&, const Bounds&) = default;
};

std::ostream& operator<<(std::ostream& os, const Bounds& b) { return os << "[" << b.start << ".." << b.end << "]"; }

std::vector<DetectedScene> Scan(SceneDetector& detector, const std::vector<TDatecode>& frames) {
  detector.Begin(RecordingValue(frames.front()), "00.00.00.00");
  std::vector<DetectedScene> scenes;
  for (std::size_t k = 0; k < frames.size(); ++k) {
    FrameOutcome outcome = detector.Feed(static_cast<std::int32_t>(k), frames[k], TTimecode{0, 0, 0, 0});
    if (outcome.finished) scenes.push_back(*outcome.finished);
  }
  scenes.push_back(detector.Finish(static_cast<std::int32_t>(frames.size() - 1)));
  return scenes;
}

std::vector<Bounds> BoundsOf(const std::vector<TDatecode>& frames) {
  SceneDetector detector;
  std::vector<Bounds> out;
  for (const DetectedScene& s : Scan(detector, frames)) out.push_back({s.startFrame, s.endFrame});
  return out;
}

TEST(SceneDetectorClock, RollOversWithinAScene) {
  const TDatecode starts[] = {
      {2005, 8, 14, 13, 59, 57},  // 13:59:59 -> 14:00:00
      {2005, 8, 14, 23, 59, 58},  // midnight
      {2005, 2, 28, 23, 59, 58},  // month end, not a leap year
      {2004, 2, 28, 23, 59, 58},  // into 29 February
      {2004, 2, 29, 23, 59, 58},  // out of it
      {2005, 4, 30, 23, 59, 59},  // 30-day month
      {1999, 12, 31, 23, 59, 58},  // year and century end
  };
  for (const TDatecode& start : starts) {
    EXPECT_EQ(BoundsOf(Recording(start, 100)), (std::vector<Bounds>{{0, 99}}))
        << int{start.year} << "-" << int{start.month} << "-" << int{start.day};
  }
}

TEST(SceneDetectorClock, TwoSecondsApartIsTheSameSceneThreeIsNot) {
  const TDatecode start{2010, 6, 1, 10, 0, 0};
  for (const std::int64_t gap : {1, 2, -1, -2}) {
    std::vector<TDatecode> frames = Recording(start, 30);
    Add(frames, Recording(start, 30, 1 + gap));  // frame 29 is at +1 s
    EXPECT_EQ(BoundsOf(frames), (std::vector<Bounds>{{0, 59}})) << "gap " << gap;
  }
  for (const std::int64_t gap : {3, -3, 3600, -86400}) {
    std::vector<TDatecode> frames = Recording(start, 30);
    Add(frames, Recording(start, 30, 1 + gap));
    EXPECT_EQ(BoundsOf(frames), (std::vector<Bounds>{{0, 29}, {30, 59}})) << "gap " << gap;
  }
}

TEST(SceneDetectorClock, NewSceneCarriesTheJumpFramesDateAndTimecode) {
  const TDatecode start{2010, 6, 1, 10, 0, 0};
  std::vector<TDatecode> frames = Recording(start, 40);
  Add(frames, Recording(start, 20, 7200));
  SceneDetector detector;
  detector.Begin(RecordingValue(frames[0]), "01.02.03.04");
  std::vector<DetectedScene> finished;
  for (std::size_t k = 0; k < frames.size(); ++k) {
    const TTimecode tc{1, 2, 4, static_cast<std::uint8_t>(k % 25)};
    if (auto scene = detector.Feed(static_cast<std::int32_t>(k), frames[k], tc).finished) finished.push_back(*scene);
  }
  ASSERT_EQ(finished.size(), 1u);
  EXPECT_EQ(finished[0].timecodeText, "01.02.03.04");
  EXPECT_EQ(finished[0].datecode, (settings::DateTimeValue{2010, 6, 1, 10, 0, 0}));
  const DetectedScene last = detector.Finish(59);
  EXPECT_EQ(last.startFrame, 40);
  EXPECT_EQ(last.datecode, (settings::DateTimeValue{2010, 6, 1, 12, 0, 0}));
  EXPECT_EQ(last.timecodeText, "01.02.04.15");
}

TEST(SceneDetectorAbsorption, JumpEndingTwelveFramesOrFewerIsAbsorbed) {
  const TDatecode start{2010, 6, 1, 10, 0, 0};
  // A jump at frame 12 would end a scene of 12 frames: absorbed.
  std::vector<TDatecode> frames = Recording(start, 12);
  Add(frames, Recording(start, 40, 500));
  SceneDetector detector;
  const std::vector<DetectedScene> scenes = Scan(detector, frames);
  ASSERT_EQ(scenes.size(), 1u);
  EXPECT_EQ(scenes[0].endFrame, 51);
  EXPECT_EQ(scenes[0].datecode, RecordingValue(start)) << "keeps the date of its first frame";

  // At frame 13 the scene has 13 frames: cut.
  frames = Recording(start, 13);
  Add(frames, Recording(start, 40, 500));
  EXPECT_EQ(BoundsOf(frames), (std::vector<Bounds>{{0, 12}, {13, 52}}));
}

TEST(SceneDetectorAbsorption, AppliesToEveryScene) {
  const TDatecode start{2010, 6, 1, 10, 0, 0};
  std::vector<TDatecode> frames = Recording(start, 30);
  Add(frames, Recording(start, 10, 100));  // 10-frame scene: absorbed into the one at 30
  Add(frames, Recording(start, 30, 200));
  EXPECT_EQ(BoundsOf(frames), (std::vector<Bounds>{{0, 29}, {30, 69}}));
}

TEST(SceneDetectorAbsorption, LastSceneIsKeptWhateverItsLength) {
  const TDatecode start{2010, 6, 1, 10, 0, 0};
  std::vector<TDatecode> frames = Recording(start, 30);
  Add(frames, Recording(start, 3, 100));
  EXPECT_EQ(BoundsOf(frames), (std::vector<Bounds>{{0, 29}, {30, 32}}));
}

TEST(SceneDetectorUndated, LongStretchIsASceneWithoutDate) {
  const TDatecode start{2010, 6, 1, 10, 0, 0};
  std::vector<TDatecode> frames = Recording(start, 20);
  frames.resize(45);  // frames 20-44 carry none
  Add(frames, Recording(start, 30, 2));
  SceneDetector detector;
  const std::vector<DetectedScene> scenes = Scan(detector, frames);
  ASSERT_EQ(scenes.size(), 3u);
  EXPECT_EQ(scenes[1].startFrame, 20);
  EXPECT_EQ(scenes[1].endFrame, 44);
  EXPECT_FALSE(scenes[1].datecode.has_value());
  EXPECT_EQ(scenes[2].startFrame, 45);
}

TEST(SceneDetectorUndated, NoDateAnywhereGivesOneScene) {
  const std::vector<TDatecode> frames(80);
  SceneDetector detector;
  const std::vector<DetectedScene> scenes = Scan(detector, frames);
  ASSERT_EQ(scenes.size(), 1u);
  EXPECT_EQ(scenes[0].endFrame, 79);
  EXPECT_FALSE(scenes[0].datecode.has_value());
}

TEST(SceneDetectorUndated, ImpossibleDateIsIgnoredNotUndated) {
  const TDatecode start{2010, 6, 1, 10, 0, 0};
  std::vector<TDatecode> frames = Recording(start, 60);
  frames[30].month = 13;  // a damaged pack
  frames[31].day = 31;
  frames[31].month = 2;
  frames[40].hour = 25;
  SceneDetector detector;
  detector.Begin(RecordingValue(start), "");
  EXPECT_TRUE(detector.Feed(0, frames[0], {}).jump) << "first scan: no previous frame";
  for (int k = 1; k < 60; ++k) {
    const FrameOutcome outcome = detector.Feed(k, frames[static_cast<std::size_t>(k)], {});
    EXPECT_FALSE(outcome.jump) << k;
    EXPECT_EQ(outcome.ignored, k == 30 || k == 31 || k == 40) << k;
  }
}

// Sets the data bytes of every date and time pack of a real frame.
void SetDatePacks(std::vector<std::uint8_t>& frame, const media::DvPack& date, const media::DvPack& time) {
  media::ForEachPackSlot(frame, [&](const media::PackSlot& slot) {
    if (frame[slot.offset] == media::kRecordingDatePack) test::PutPack(frame, slot.offset, date);
    if (frame[slot.offset] == media::kRecordingTimePack) test::PutPack(frame, slot.offset, time);
  });
}

// A camcorder stretch of blank date packs (present, data 0xFF) between two
// runs of the same recording neither cuts it nor makes an undated scene;
// a file that starts with such frames still sorts by the digits.
TEST(SceneDetectorUndated, BlankDatePacksOnRealFramesAreIgnored) {
  KORVID_REQUIRE_REAL_FIXTURES();
  auto dated = test::ReadRealFixture("sony_perfect.dv");
  ASSERT_EQ(dated.size(), media::FrameBytes(media::DvSystem::k525_60));
  auto later = dated;
  SetDatePacks(later, {0x62, 0xFF, 0xC8, 0xE7, 0x24}, {0x63, 0xFF, 0xD9, 0xD5, 0xD9});  // one second on
  auto blank = dated;
  SetDatePacks(blank, {0x62, 0xFF, 0xFF, 0xFF, 0xFF}, {0x63, 0xFF, 0xFF, 0xFF, 0xFF});
  test::TempDir dir;
  const auto write = [&](const std::string& name, const std::vector<const std::vector<std::uint8_t>*>& frames) {
    auto writer = media::AviWriter::CreateType1(dir / name, {media::DvSystem::k525_60, false});
    for (const auto* frame : frames) writer.WriteVideoFrame(*frame);
    writer.Close();
    return dir / name;
  };
  std::vector<const std::vector<std::uint8_t>*> order(15, &dated);
  order.insert(order.end(), 20, &blank);
  order.insert(order.end(), 15, &later);
  SceneFrameReader reader(write("stretch.avi", order));
  SceneDetector detector;
  detector.Begin(RecordingValue({2024, 7, 8, 19, 55, 58}), "");
  std::vector<DetectedScene> cut;
  std::atomic<bool> abort{false};
  SceneScanProgress progress;
  EXPECT_EQ(RunSceneScan(reader, detector, [&](const DetectedScene& s) { cut.push_back(s); }, abort, progress),
            SceneScanEnd::kCompleted);
  EXPECT_TRUE(cut.empty());
  EXPECT_EQ(detector.Finish(49).startFrame, 0);

  // Listed with the first real date, that of the frame after the blank one;
  // with blank packs only, the impossible digits still sort.
  auto record = media::AnalyseFile(write("blank_first.avi", {&blank, &dated}), {});
  EXPECT_TRUE(record.datecode);
  EXPECT_TRUE(record.datecodeKey.starts_with("20240708195558")) << record.datecodeKey;
  record = media::AnalyseFile(write("blank_only.avi", {&blank, &blank}), {});
  EXPECT_EQ(record.datecodeText, "N/A");
  EXPECT_TRUE(record.datecodeKey.starts_with("2065254545")) << record.datecodeKey;
}

TEST(SceneDetectorState, PreviousFrameCarriesOverIntoTheNextScan) {
  SceneDetector detector;
  const TDatecode first{2010, 6, 1, 10, 0, 0};
  Scan(detector, Recording(first, 50));
  // The next file starts far from where the last one ended: that jump is on
  // frame 0 and absorbed, so the file is one scene.
  const TDatecode second{2012, 1, 1, 8, 0, 0};
  const std::vector<DetectedScene> scenes = Scan(detector, Recording(second, 50));
  ASSERT_EQ(scenes.size(), 1u);
  EXPECT_EQ(scenes[0].startFrame, 0);
  EXPECT_EQ(scenes[0].datecode, RecordingValue(second));
}

TEST(SceneDetectorTexts, TimecodeHoursAreASignedByte) {
  EXPECT_EQ(SceneTimecodeText({1, 2, 3, 4}), "01.02.03.04");
  EXPECT_EQ(SceneTimecodeText({}), "-01.00.00.00");
}

TEST(SceneDetectorTexts, MomentsCountWholeCalendarSeconds) {
  EXPECT_EQ(MomentSeconds({1, 1, 1, 0, 0, 0}), 0);
  EXPECT_EQ(*MomentSeconds({2000, 3, 1, 0, 0, 0}) - *MomentSeconds({2000, 2, 28, 23, 59, 59}), 86401);
  EXPECT_FALSE(MomentSeconds({2001, 2, 29, 0, 0, 0}).has_value());
  EXPECT_FALSE(RecordingValue(TDatecode{}).has_value());
}

}  // namespace
}  // namespace korvid::graphs
