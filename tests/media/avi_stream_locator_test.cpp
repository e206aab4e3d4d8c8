#include "media/avi_stream_locator.h"

#include <cmath>
#include <limits>

#include "media/le_bytes.h"
#include "media/riff_walk.h"
#include "support/riff_builder.h"
#include "support/test_env.h"

namespace korvid::media {
namespace {

using test::Bytes;
using test::Chunk;
using test::List;

Bytes Strl(const char* type, const char* handler, const Bytes& format) {
  return List("LIST", "strl", {Chunk("strh", test::StrhData(type, handler, 1, 25)), Chunk("strf", format)});
}

Bytes Avi(std::vector<Bytes> strls, std::size_t frames = 3) {
  std::vector<Bytes> hdrl{Chunk("avih", test::AvihData(40000, 2, 1))};
  hdrl.insert(hdrl.end(), strls.begin(), strls.end());
  std::vector<Bytes> media;
  for (std::size_t i = 0; i < frames; ++i) media.push_back(Chunk("00dc", test::PatternFrame(99, 2)));
  return List("RIFF", "AVI ", {List("LIST", "hdrl", hdrl), List("LIST", "movi", media),
                               Chunk("idx1", Bytes(16 * frames))});
}

// Offset of the n-th (0-based) occurrence of a code in the bytes.
std::size_t Find(const Bytes& bytes, const char* code, int nth = 0) {
  for (std::size_t i = 0; i + 4 <= bytes.size(); ++i) {
    if (std::equal(code, code + 4, bytes.begin() + static_cast<std::ptrdiff_t>(i)) && nth-- == 0) return i;
  }
  return std::string::npos;
}

class AviStreamLocator : public ::testing::Test {
 protected:
  std::filesystem::path Write(const Bytes& bytes) {
    test::WriteWholeFile(dir_ / "f.avi", bytes);
    return dir_ / "f.avi";
  }
  std::optional<VideoHeaderPositions> Locate(const Bytes& bytes) {
    return LocateVideoStreamHeader(BinaryFile(Write(bytes), BinaryFile::Mode::kRead));
  }
  test::TempDir dir_;
};

TEST_F(AviStreamLocator, PositionsAreThoseOfTheLastVideoStreamHeader) {
  const Bytes bytes = Avi({Strl("vids", "dvsd", test::BitmapInfoData("dvsd")),
                           Strl("auds", "abcd", test::WaveFormatData()),
                           Strl("iavs", "CDVC", test::DvInfoData())});
  const auto at = Locate(bytes);
  ASSERT_TRUE(at);
  const std::size_t strh = Find(bytes, "strh", 2) + 8;
  EXPECT_EQ(at->handler, strh + 4);
  EXPECT_EQ(at->scale, strh + 20);
  EXPECT_EQ(at->rate, strh + 24);
  EXPECT_EQ(ReadVideoHandler(dir_ / "f.avi"), FourCC("CDVC"));
}

TEST_F(AviStreamLocator, WriteVideoHandlerChangesExactlyFourBytes) {
  const Bytes before = Avi({Strl("auds", "abcd", test::WaveFormatData()),
                            Strl("vids", "CDVC", test::BitmapInfoData("dvsd"))});
  const auto path = Write(before);
  WriteVideoHandler(path, FourCC("dvsd"));
  const Bytes after = test::ReadWholeFile(path);
  ASSERT_EQ(after.size(), before.size());
  const std::size_t handler = Find(before, "strh", 1) + 12;
  for (std::size_t i = 0; i < before.size(); ++i) {
    if (i >= handler && i < handler + 4) continue;
    ASSERT_EQ(after[i], before[i]) << "byte " << i;
  }
  EXPECT_EQ(LoadLE32(after.data() + handler), FourCC("dvsd"));
  EXPECT_EQ(ReadVideoHandler(path), FourCC("dvsd"));
}

TEST_F(AviStreamLocator, FrameRateIsWrittenAsAMicrosecondFraction) {
  const Bytes before = Avi({Strl("vids", "dvsd", test::BitmapInfoData("dvsd"))});
  const auto path = Write(before);
  WriteFrameRate(path, 25.0);
  const Bytes after = test::ReadWholeFile(path);
  const std::size_t scale = Find(before, "strh") + 8 + 20;
  const Bytes expected{0x40, 0x9C, 0x00, 0x00, 0x40, 0x42, 0x0F, 0x00};
  EXPECT_EQ(Bytes(after.begin() + static_cast<std::ptrdiff_t>(scale),
                  after.begin() + static_cast<std::ptrdiff_t>(scale + 8)), expected);
  for (std::size_t i = 0; i < before.size(); ++i) {
    if (i < scale || i >= scale + 8) {
      ASSERT_EQ(after[i], before[i]) << "byte " << i;
    }
  }
  WriteFrameRate(path, 29.97);
  EXPECT_EQ(LoadLE32(test::ReadWholeFile(path).data() + scale), 33367u);
}

TEST_F(AviStreamLocator, BadFrameRatesAreRefusedWithoutWriting) {
  const Bytes before = Avi({Strl("vids", "dvsd", test::BitmapInfoData("dvsd"))});
  const auto path = Write(before);
  for (const double fps : {0.0, -25.0, std::nan(""), std::numeric_limits<double>::infinity(), 1e-9, 5e7}) {
    EXPECT_THROW(WriteFrameRate(path, fps), AviHeaderError) << fps;
  }
  EXPECT_EQ(test::ReadWholeFile(path), before);
  EXPECT_EQ(FrameRateFraction(1.0).scale, 1'000'000u);
  EXPECT_EQ(FrameRateFraction(1'000'000.0).scale, 1u);
}

// A patch is one write inside one page, so that a kill leaves the old or
// the new value; a rate and scale that straddle two pages are refused.
TEST_F(AviStreamLocator, AFieldGroupAcrossTwoPagesIsNotPatched) {
  const auto build = [](std::size_t padding) {
    Bytes wave = test::WaveFormatData();
    wave.resize(wave.size() + padding);
    return Avi({Strl("auds", "abcd", wave), Strl("vids", "dvsd", test::BitmapInfoData("dvsd"))});
  };
  const std::size_t scale = Find(build(0), "strh", 1) + 8 + 20;
  const Bytes before = build((4096 + 4092 - scale % 4096) % 4096);
  ASSERT_EQ((Find(before, "strh", 1) + 8 + 20) % 4096, 4092u);
  const auto path = Write(before);
  EXPECT_THROW(WriteFrameRate(path, 25.0), AviHeaderError);
  EXPECT_EQ(test::ReadWholeFile(path), before);
  WriteVideoHandler(path, FourCC("CDVC"));
  EXPECT_EQ(ReadVideoHandler(path), FourCC("CDVC"));
}

TEST_F(AviStreamLocator, FileWithoutVideoHeaderIsNeitherReadNorWritten) {
  const Bytes before = Avi({Strl("auds", "abcd", test::WaveFormatData())});
  const auto path = Write(before);
  EXPECT_FALSE(Locate(before));
  EXPECT_THROW(ReadVideoHandler(path), AviHeaderError);
  EXPECT_THROW(WriteVideoHandler(path, FourCC("dvsd")), AviHeaderError);
  EXPECT_THROW(WriteFrameRate(path, 25.0), AviHeaderError);
  EXPECT_EQ(test::ReadWholeFile(path), before);
  EXPECT_THROW(WriteVideoHandler(dir_ / "missing.avi", FourCC("dvsd")), FileError);
  EXPECT_THROW(ReadVideoHandler(dir_ / "missing.avi"), FileError);
}

TEST_F(AviStreamLocator, StrhTooShortForTheRateIsNotPatched) {
  Bytes strh = test::StrhData("vids", "dvsd");
  strh.resize(20);
  const Bytes bytes = Avi({List("LIST", "strl", {Chunk("strh", strh), Chunk("strf", Bytes(40))})});
  EXPECT_FALSE(Locate(bytes));
}

TEST_F(AviStreamLocator, HostileLayoutsEndTheWalk) {
  const Bytes video = Strl("vids", "dvsd", test::BitmapInfoData("dvsd"));
  // Zero-size and odd-size chunks before the stream list.
  const Bytes odd = List("RIFF", "AVI ", {List("LIST", "hdrl", {Chunk("JUNK", {}), Chunk("JUNK", Bytes(3)), video})});
  EXPECT_TRUE(Locate(odd));
  // Video header nested deeper than the walk descends is not found, and the walk ends.
  Bytes deep = video;
  for (int i = 0; i < 40; ++i) deep = List("LIST", "deep", {deep});
  EXPECT_FALSE(Locate(List("RIFF", "AVI ", {deep})));
  Bytes shallow = video;
  for (int i = 0; i < 10; ++i) shallow = List("LIST", "deep", {shallow});
  EXPECT_TRUE(Locate(List("RIFF", "AVI ", {shallow})));
  // Sizes pointing far past the end of the file.
  Bytes lying = List("RIFF", "AVI ", {List("LIST", "hdrl", {video})});
  test::PatchLE32(lying, 4, 0xFFFFFFF0u);
  test::PatchLE32(lying, 16, 0xFFFFFFF0u);
  EXPECT_TRUE(Locate(lying));
  // Cut inside the stream header: a short read ends the walk quietly.
  const Bytes whole = List("RIFF", "AVI ", {List("LIST", "hdrl", {video})});
  EXPECT_FALSE(Locate(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(Find(whole, "strh") + 30))));
  EXPECT_FALSE(Locate(Bytes{'R', 'I'}));
  EXPECT_FALSE(Locate(Bytes{}));
}

struct Recorder : RiffWalkListener {
  int pumps = 0;
  std::vector<RiffChunkVisit> chunks;
  std::uint64_t garbage = 0;
  bool KeepGoing() override { return ++pumps < 1000; }
  void OnChunk(const RiffChunkVisit& c) override { chunks.push_back(c); }
  void OnGarbage(std::uint64_t, std::uint64_t bytes) override { garbage = bytes; }
};

TEST_F(AviStreamLocator, WalkReportsDepthsGarbageAndCutChunks) {
  Bytes bytes = Avi({Strl("vids", "dvsd", test::BitmapInfoData("dvsd"))});
  bytes.resize(bytes.size() + 26, 0x55);
  Recorder rec;
  auto outcome = WalkRiff(BinaryFile(Write(bytes), BinaryFile::Mode::kRead), rec);
  EXPECT_FALSE(outcome.unexpected_end);
  EXPECT_EQ(rec.garbage, 26u);
  ASSERT_GE(rec.chunks.size(), 6u);
  EXPECT_EQ(rec.chunks[0].code, FourCC("RIFF"));
  EXPECT_EQ(rec.chunks[1].depth, 1);  // hdrl
  EXPECT_EQ(rec.chunks[3].depth, 2);  // strl
  EXPECT_EQ(rec.chunks[4].depth, 3);  // strh
  // movi content is not visited.
  for (const auto& c : rec.chunks) EXPECT_NE(c.code, FourCC("00dc"));

  const Bytes cut(bytes.begin(), bytes.end() - 26 - 100);
  Recorder rec2;
  outcome = WalkRiff(BinaryFile(Write(cut), BinaryFile::Mode::kRead), rec2);
  EXPECT_TRUE(rec2.chunks[0].cut);
  EXPECT_EQ(rec2.chunks[0].size, cut.size() - 8);

  int pumps = 0;
  LocateVideoStreamHeader(BinaryFile(Write(bytes), BinaryFile::Mode::kRead), [&] { ++pumps; });
  EXPECT_EQ(pumps, rec.pumps);
}

}  // namespace
}  // namespace korvid::media
