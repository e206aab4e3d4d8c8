#include "media/dv_pack_writer.h"

#include <cstring>

#include "media/dv_frame_facts.h"
#include "media/dv_pack_layout.h"
#include "media/dv_pack_scan.h"
#include "graphs/dv_video_encoder.h"
#include "support/dv_pack_frames.h"
#include "support/test_env.h"

namespace korvid::media {
namespace {

using test::BlankDvFrame;

int CountPacks(std::span<const std::uint8_t> frame, std::uint8_t header, PackArea area) {
  int count = 0;
  ForEachPackSlot(frame, [&](const PackSlot& slot) {
    if (slot.area == area && frame[slot.offset] == header) ++count;
  });
  return count;
}

TEST(DvPackWriter, FillsAnEmptyFrameWhereACamcorderWould) {
  auto frame = BlankDvFrame(DvSystem::k525_60);
  const TDatecode dc{2024, 7, 8, 19, 55, 58};
  ASSERT_TRUE(WriteDatecode(frame, dc));
  ASSERT_TRUE(WriteTimecode(frame, TTimecode{1, 2, 3, 4}));
  ASSERT_TRUE(WriteWideScreen(frame, true));
  ASSERT_TRUE(WriteVideoSource(frame, DvSystem::k525_60));

  TDatecode read;
  read = test::FixedDatecode(frame);
  EXPECT_EQ(read, dc);
  EXPECT_EQ(test::FixedTimecode(frame), (TTimecode{1, 2, 3, 4}));
  EXPECT_TRUE(test::FixedWide(frame));
  // Ten sequences: VAUX packs 39-42 everywhere plus 0-3 in the odd ones;
  // the subcode's second half holds four date packs a sequence.
  EXPECT_EQ(CountPacks(frame, kRecordingDatePack, PackArea::kVaux), 15);
  EXPECT_EQ(CountPacks(frame, kRecordingDatePack, PackArea::kSubcode), 20);
  EXPECT_EQ(CountPacks(frame, kRecordingTimePack, PackArea::kSubcode), 20);
  EXPECT_EQ(CountPacks(frame, kTimecodePack, PackArea::kSubcode), 5 * 12 + 5 * 4);
  EXPECT_EQ(frame[VauxSlotOffset(1, 0)], kVideoSourcePack);
  EXPECT_EQ(frame[VauxSlotOffset(0, 39) + 3] & 0x20, 0);  // 60 Hz

  // Every sequence alone is enough for the searching readers.
  for (std::size_t s = 0; s < 10; ++s) {
    auto only = BlankDvFrame(DvSystem::k525_60);
    std::copy_n(frame.begin() + static_cast<std::ptrdiff_t>(DifBlockOffset(s, 1)), 5 * 80,
                only.begin() + static_cast<std::ptrdiff_t>(DifBlockOffset(s, 1)));
    read = ReadDvFrameFacts(only).datecode;
    EXPECT_EQ(read, dc) << s;
    EXPECT_EQ(ReadDvFrameFacts(only).timecode, (TTimecode{1, 2, 3, 4})) << s;
  }
}

TEST(DvPackWriter, KeepsFlagBitsAndOtherPacks) {
  auto frame = BlankDvFrame(DvSystem::k625_50);
  test::PutPack(frame, VauxSlotOffset(0, 0), {0x70, 0xC5, 0x07, 0x1F, 0xFF});  // camera pack
  test::PutPack(frame, kFirstDateOffset, {0x62, 0x12, 0xC8, 0xE7, 0x24});
  test::PutPack(frame, kFirstTimeOffset, {0x63, 0x45, 0xD8, 0xD5, 0xD9});
  ASSERT_TRUE(WriteDatecode(frame, TDatecode{1999, 12, 31, 23, 59, 58}));
  EXPECT_EQ(PackAt(frame, kFirstDateOffset), (DvPack{0x62, 0x12, 0xF1, 0xF2, 0x99}));
  EXPECT_EQ(PackAt(frame, kFirstTimeOffset), (DvPack{0x63, 0x45, 0xD8, 0xD9, 0xE3}));
  EXPECT_EQ(PackAt(frame, VauxSlotOffset(0, 0)), (DvPack{0x70, 0xC5, 0x07, 0x1F, 0xFF}));
}

TEST(DvPackWriter, RefusesWhatCannotBeRecorded) {
  auto frame = BlankDvFrame(DvSystem::k625_50);
  const auto before = frame;
  EXPECT_FALSE(WriteDatecode(frame, TDatecode{2040, 1, 1, 0, 0, 0}));
  EXPECT_FALSE(WriteDatecode(frame, TDatecode{1939, 1, 1, 0, 0, 0}));
  EXPECT_FALSE(WriteDatecode(frame, TDatecode{2005, 13, 1, 0, 0, 0}));
  EXPECT_FALSE(WriteDatecode(frame, TDatecode{2005, 1, 1, 24, 0, 0}));
  EXPECT_FALSE(WriteTimecode(frame, TTimecode{1, 60, 0, 0}));
  std::vector<std::uint8_t> notDv(144000, 0x00);
  notDv[0] = 0x5F;
  EXPECT_FALSE(WriteTimecode(notDv, TTimecode{1, 2, 3, 4}));
  EXPECT_FALSE(WriteWideScreen(std::span<std::uint8_t>{}, true));
  EXPECT_EQ(frame, before);
}

TEST(DvPackWriter, TruncatedFrameIsWrittenOnlyWhereWhole) {
  auto frame = BlankDvFrame(DvSystem::k625_50);
  frame.resize(4400);
  ASSERT_TRUE(WriteDatecode(frame, TDatecode{2010, 2, 16, 21, 36, 28}));
  TDatecode read;
  read = test::FixedDatecode(frame);
  EXPECT_EQ(read.year, 2010);
}

// ffmpeg's DV muxer writes the packs; we overwrite them, and both our
// readers and mediainfo must see our values.
TEST(DvPackWriter, OverwritesFfmpegPacksSoMediainfoAgrees) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  KORVID_REQUIRE_PROGRAM("mediainfo");
  test::TempDir dir;
  for (const DvSystem system : {DvSystem::k625_50, DvSystem::k525_60}) {
    auto frame = test::MakeFfmpegDv(dir / "in.dv", system, 1,
                                    {"-metadata", "creation_time=2005-08-14T15:02:11",
                                     "-timecode", "01:02:03:04"});
    ASSERT_EQ(frame.size(), FrameBytes(system));
    TDatecode read;
    read = test::FixedDatecode(frame);
    ASSERT_EQ(read, (TDatecode{2005, 8, 14, 15, 2, 11}));

    const TDatecode dc{1998, 2, 28, 23, 4, 5};
    ASSERT_TRUE(WriteDatecode(frame, dc));
    ASSERT_TRUE(WriteTimecode(frame, TTimecode{10, 20, 30, 12}));
    ASSERT_TRUE(WriteWideScreen(frame, true));
    read = test::FixedDatecode(frame);
    EXPECT_EQ(read, dc);
    EXPECT_EQ(test::FixedTimecode(frame), (TTimecode{10, 20, 30, 12}));
    EXPECT_TRUE(test::FixedWide(frame));
    // No stale copy of ffmpeg's values is left anywhere.
    ForEachPackSlot(frame, [&](const PackSlot& slot) {
      if (frame[slot.offset] == kRecordingDatePack) {
        EXPECT_EQ(PackAt(frame, slot.offset)[4], 0x98) << slot.offset;
      }
    });

    test::WriteWholeFile(dir / "out.dv", frame);
    EXPECT_EQ(test::MediaInfoField(dir / "out.dv", "Recorded_Date").substr(0, 19),
              "1998-02-28 23:04:05");
    EXPECT_EQ(test::MediaInfoField(dir / "out.dv", "TimeCode_FirstFrame").substr(0, 11),
              "10:20:30:12");
    EXPECT_EQ(test::MediaInfoField(dir / "out.dv", "DisplayAspectRatio"), "1.778");
  }
}

TEST(DvPackWriter, UndatedFramesLookUndatedToMediainfo) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  KORVID_REQUIRE_PROGRAM("mediainfo");
  test::TempDir dir;
  auto frame = test::MakeFfmpegDv(dir / "in.dv", DvSystem::k625_50, 1,
                                  {"-metadata", "creation_time=2005-08-14T15:02:11"});
  ASSERT_FALSE(frame.empty());
  ASSERT_TRUE(WriteDatecode(frame, TDatecode{}));
  TDatecode read;
  read = ReadDvFrameFacts(frame).datecode;
  EXPECT_FALSE(HasDatecode(read));
  EXPECT_EQ(CountPacks(frame, kRecordingDatePack, PackArea::kVaux) +
                CountPacks(frame, kRecordingTimePack, PackArea::kSubcode),
            0);
  test::WriteWholeFile(dir / "out.dv", frame);
  EXPECT_EQ(test::MediaInfoField(dir / "out.dv", "Recorded_Date"), "");
}

// A frame straight from FFmpeg's encoder (no muxer) repeats the video source
// and control packs through VAUX with no date beside them; mediainfo reads
// the date from those groups, so the writer must complete them.
TEST(DvPackWriter, DateReachesReadersOfEncoderOnlyFrames) {
  KORVID_REQUIRE_PROGRAM("mediainfo");
  test::TempDir dir;
  for (const DvSystem system : {DvSystem::k625_50, DvSystem::k525_60}) {
    graphs::DvVideoEncoder encoder(system, false);
    graphs::FramePtr picture = encoder.NewPicture();
    for (int plane = 0; plane < 3; ++plane) {
      const int rows = plane == 0 ? picture->height : picture->height / (system == DvSystem::k625_50 ? 2 : 1);
      std::memset(picture->data[plane], 128, static_cast<std::size_t>(picture->linesize[plane]) * rows);
    }
    std::vector<std::uint8_t> frame = encoder.Encode(*picture);
    ASSERT_TRUE(WriteDatecode(frame, TDatecode{2001, 9, 30, 8, 7, 6}));
    test::WriteWholeFile(dir / "enc.dv", frame);
    EXPECT_EQ(test::MediaInfoField(dir / "enc.dv", "Recorded_Date").substr(0, 19), "2001-09-30 08:07:06");
  }
}

}  // namespace
}  // namespace korvid::media
