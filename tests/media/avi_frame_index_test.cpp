#include "media/avi_frame_index.h"

#include <string>

#include "media/le_bytes.h"
#include "support/riff_builder.h"
#include "support/test_env.h"

namespace korvid::media {
namespace {

using test::Bytes;

class AviFrameIndexTest : public ::testing::Test {
 protected:
  // Two streams, interleaved, frames of varied (also odd) sizes.
  Bytes BuildTwoStreams(test::AviIndexKind kind, std::size_t frames_per_part = 0) {
    builder_.AddStream({"vids", "dvsd", "dc", test::BitmapInfoData("dvsd")});
    builder_.AddStream({"auds", "    ", "wb", test::WaveFormatData()});
    for (std::uint32_t i = 0; i < 9; ++i) {
      builder_.AddFrame(0, test::PatternFrame(200 + i, i));
      builder_.AddFrame(1, test::PatternFrame(31, 100 + i));
    }
    return builder_.Build(kind, frames_per_part);
  }

  AviFrameIndex Load(const Bytes& bytes) {
    test::WriteWholeFile(dir_ / "f.avi", bytes);
    file_.emplace(dir_ / "f.avi", BinaryFile::Mode::kRead);
    return AviFrameIndex::Load(*file_);
  }

  void ExpectMatchesBuilt(const AviFrameIndex& index) {
    ASSERT_EQ(index.StreamCount(), builder_.Frames().size());
    for (std::size_t s = 0; s < index.StreamCount(); ++s) {
      const auto frames = index.FramesOf(s);
      const auto& built = builder_.Frames()[s];
      ASSERT_EQ(frames.size(), built.size()) << "stream " << s;
      for (std::size_t k = 0; k < frames.size(); ++k) {
        EXPECT_EQ(frames[k].offset, built[k].data_offset) << s << "/" << k;
        EXPECT_EQ(frames[k].size, built[k].size) << s << "/" << k;
      }
    }
  }

  test::AviBuilder builder_;
  test::TempDir dir_;
  std::optional<BinaryFile> file_;
};

TEST_F(AviFrameIndexTest, EveryIndexKindFindsTheSameChunks) {
  const struct {
    test::AviIndexKind kind;
    FrameIndexSource source;
  } cases[] = {{test::AviIndexKind::kIdx1Relative, FrameIndexSource::kLegacy},
               {test::AviIndexKind::kIdx1Absolute, FrameIndexSource::kLegacy},
               {test::AviIndexKind::kNone, FrameIndexSource::kChunkScan},
               {test::AviIndexKind::kOpenDml, FrameIndexSource::kOpenDml}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.kind));
    builder_ = {};
    const AviFrameIndex index = Load(BuildTwoStreams(c.kind, 5));
    EXPECT_EQ(index.SourceOf(0), c.source);
    ExpectMatchesBuilt(index);
  }
}

TEST_F(AviFrameIndexTest, OpenDmlPartsWithoutIndexesAreScanned) {
  Bytes bytes = BuildTwoStreams(test::AviIndexKind::kOpenDml, 4);
  // Blank the super indexes: the reader must then step over every part's chunks,
  // not trust idx1, which only covers the first part.
  for (std::size_t i = 0; i + 4 <= bytes.size(); ++i) {
    if (LoadLE32(bytes.data() + i) == FourCC("indx")) bytes[i + 8 + 4] = 0;  // nEntriesInUse
  }
  const AviFrameIndex index = Load(bytes);
  EXPECT_EQ(index.SourceOf(0), FrameIndexSource::kChunkScan);
  ExpectMatchesBuilt(index);
}

TEST_F(AviFrameIndexTest, AFrameStartIsReadWithinItsFrame) {
  const AviFrameIndex index = Load(BuildTwoStreams(test::AviIndexKind::kIdx1Relative));
  std::array<std::uint8_t, 16> start{};
  ASSERT_EQ(index.ReadFrameStart(*file_, 0, 7, start), start.size());
  const Bytes expected = test::PatternFrame(207, 7);
  EXPECT_TRUE(std::equal(start.begin(), start.end(), expected.begin()));
  std::array<std::uint8_t, 64> longer{};
  EXPECT_EQ(index.ReadFrameStart(*file_, 1, 0, longer), 31u);  // never past the frame
  EXPECT_THROW(index.ReadFrameStart(*file_, 0, 9, start), std::out_of_range);
  EXPECT_THROW(index.ReadFrameStart(*file_, 5, 0, start), std::out_of_range);
}

TEST_F(AviFrameIndexTest, EntriesOutsideTheFileAreDroppedOrCut) {
  Bytes bytes = BuildTwoStreams(test::AviIndexKind::kNone);
  const std::uint64_t last = builder_.Frames()[1].back().data_offset;
  bytes.resize(static_cast<std::size_t>(last) + 10);  // cut inside the last audio chunk
  const AviFrameIndex index = Load(bytes);
  ASSERT_EQ(index.FramesOf(1).size(), 9u);
  EXPECT_EQ(index.FramesOf(1).back().size, 10u);
  for (std::size_t s = 0; s < 2; ++s)
    for (const auto& f : index.FramesOf(s)) EXPECT_LE(f.offset + f.size, bytes.size());
}

TEST_F(AviFrameIndexTest, StreamNumbersFromChunkIds) {
  EXPECT_EQ(StreamOfChunkId(FourCC("00dc")), 0u);
  EXPECT_EQ(StreamOfChunkId(FourCC("01wb")), 1u);
  EXPECT_EQ(StreamOfChunkId(FourCC("12db")), 12u);
  EXPECT_EQ(StreamOfChunkId(FourCC("00__")), 0u);
  EXPECT_FALSE(StreamOfChunkId(FourCC("ix00")));
  EXPECT_FALSE(StreamOfChunkId(FourCC("00pc")));
  EXPECT_FALSE(StreamOfChunkId(FourCC("JUNK")));
}

TEST_F(AviFrameIndexTest, DvStreamIsTheInterleavedOneElseTheFirstVideo) {
  builder_.AddStream({"auds", "    ", "wb", {}});
  builder_.AddStream({"vids", "dvsd", "dc", {}});
  builder_.AddStream({"iavs", "dvsd", "__", {}});
  test::WriteWholeFile(dir_ / "a.avi", builder_.Build(test::AviIndexKind::kNone));
  EXPECT_EQ(FindDvVideoStream(TAviParam(dir_ / "a.avi")), 2u);
  test::AviBuilder audio_only;
  audio_only.AddStream({"auds", "    ", "wb", {}});
  test::WriteWholeFile(dir_ / "b.avi", audio_only.Build(test::AviIndexKind::kNone));
  EXPECT_FALSE(FindDvVideoStream(TAviParam(dir_ / "b.avi")));
}

// An OpenDML file whose second part lies beyond 4 GiB; the gap is a hole
// in a sparse file, so the test stays small on disk.
TEST_F(AviFrameIndexTest, OffsetsBeyondFourGibComeFromTheOpenDmlIndex) {
  constexpr std::uint64_t kPart2 = 5ull << 30;
  const std::uint32_t frame_size = 120;
  test::RiffWriter head;
  const std::size_t riff = head.BeginList("RIFF", "AVI ");
  const std::size_t hdrl = head.BeginList("LIST", "hdrl");
  head.AddChunk("avih", test::AvihData(40000, 2, 1));
  const std::size_t strl = head.BeginList("LIST", "strl");
  head.AddChunk("strh", test::StrhData("iavs", "dvsd"));
  head.AddChunk("strf", test::DvInfoData());
  Bytes super;
  test::PutLE16(super, 4);
  super.push_back(0);
  super.push_back(0);
  test::PutLE32(super, 1);
  test::PutFourCC(super, "00__");
  for (int i = 0; i < 3; ++i) test::PutLE32(super, 0);
  test::PutLE64(super, kPart2 + 12 + 12 + 2 * (8 + frame_size));  // the ix00 chunk
  test::PutLE32(super, 8 + 24 + 16);
  test::PutLE32(super, 2);
  head.AddChunk("indx", super);
  head.EndList(strl);
  head.EndList(hdrl);
  const std::size_t movi = head.BeginList("LIST", "movi");
  head.EndList(movi);
  head.EndList(riff);

  test::RiffWriter tail;
  const std::size_t avix = tail.BeginList("RIFF", "AVIX");
  const std::size_t movi2 = tail.BeginList("LIST", "movi");
  tail.AddChunk("00__", test::PatternFrame(frame_size, 1));
  tail.AddChunk("00__", test::PatternFrame(frame_size, 2));
  Bytes ix;
  test::PutLE16(ix, 2);
  ix.push_back(0);
  ix.push_back(1);
  test::PutLE32(ix, 2);
  test::PutFourCC(ix, "00__");
  test::PutLE64(ix, kPart2);
  test::PutLE32(ix, 0);
  test::PutLE32(ix, 12 + 12 + 8);
  test::PutLE32(ix, frame_size);
  test::PutLE32(ix, 12 + 12 + 8 + frame_size + 8);
  test::PutLE32(ix, frame_size | 0x80000000u);
  tail.AddChunk("ix00", ix);
  tail.EndList(movi2);
  tail.EndList(avix);

  {
    BinaryFile out(dir_ / "big.avi", BinaryFile::Mode::kCreate);
    out.Truncate(kPart2);
    out.WriteAt(0, head.bytes());
    out.WriteAt(kPart2, tail.bytes());
  }
  const BinaryFile file(dir_ / "big.avi", BinaryFile::Mode::kRead);
  const AviFrameIndex index = AviFrameIndex::Load(file);
  ASSERT_EQ(index.FramesOf(0).size(), 2u);
  EXPECT_EQ(index.SourceOf(0), FrameIndexSource::kOpenDml);
  EXPECT_EQ(index.FramesOf(0)[0].offset, kPart2 + 32);
  EXPECT_EQ(index.FramesOf(0)[1].size, frame_size);  // key-frame bit masked off
  std::array<std::uint8_t, 8> start{};
  index.ReadFrameStart(file, 0, 1, start);
  const Bytes expected = test::PatternFrame(frame_size, 2);
  EXPECT_TRUE(std::equal(start.begin(), start.end(), expected.begin()));
}

}  // namespace
}  // namespace korvid::media
