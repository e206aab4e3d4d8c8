#include "media/avi_param.h"

#include "media/le_bytes.h"
#include "support/riff_builder.h"
#include "support/test_env.h"

namespace korvid::media {
namespace {

using test::Bytes;
using test::Chunk;
using test::List;

Bytes Strl(const char* type, const char* handler, const Bytes& format = {}) {
  if (format.empty()) return List("LIST", "strl", {Chunk("strh", test::StrhData(type, handler))});
  return List("LIST", "strl", {Chunk("strh", test::StrhData(type, handler)), Chunk("strf", format)});
}

Bytes Movi(std::size_t frames) {
  std::vector<Bytes> chunks;
  for (std::size_t i = 0; i < frames; ++i) chunks.push_back(Chunk("00dc", test::PatternFrame(100, 1)));
  return List("LIST", "movi", chunks);
}

Bytes Avi(std::vector<Bytes> strls, std::size_t frames = 2) {
  std::vector<Bytes> hdrl{Chunk("avih", test::AvihData(40000, 2, static_cast<std::uint32_t>(strls.size())))};
  hdrl.insert(hdrl.end(), strls.begin(), strls.end());
  return List("RIFF", "AVI ", {List("LIST", "hdrl", hdrl), Movi(frames)});
}

TFriendlyAviParam ParamOf(const Bytes& bytes) {
  test::TempDir dir;
  test::WriteWholeFile(dir / "f.avi", bytes);
  return TFriendlyAviParam(dir / "f.avi");
}

TEST(AviParam, TypeOneAndTypeTwoReportTheVideoHandler) {
  const auto type1 = ParamOf(Avi({Strl("iavs", "dvsd", test::DvInfoData())}));
  EXPECT_TRUE(type1.valid);
  EXPECT_EQ(type1.first_video_stream, 0);
  EXPECT_EQ(type1.CodecFourCC(), "dvsd");
  ASSERT_EQ(type1.streams.size(), 1u);
  EXPECT_EQ(type1.streams[0].format, test::DvInfoData());

  const auto type2 = ParamOf(Avi({Strl("vids", "CDVC", test::BitmapInfoData("dvsd")),
                                  Strl("auds", "    ", test::WaveFormatData())}));
  EXPECT_TRUE(type2.valid);
  EXPECT_EQ(type2.CodecFourCC(), "CDVC");
  EXPECT_EQ(type2.streams.size(), 2u);
  EXPECT_EQ(type2.streams[1].FccType(), FourCC("auds"));
  ASSERT_EQ(type2.movi_lists.size(), 1u);
}

TEST(AviParam, AudioFirstTwoVideosAndNoVideo) {
  const auto audio_first = ParamOf(Avi({Strl("auds", "abcd"), Strl("vids", "mjpg")}));
  EXPECT_EQ(audio_first.first_video_stream, 1);
  EXPECT_EQ(audio_first.CodecFourCC(), "mjpg");

  const auto two = ParamOf(Avi({Strl("vids", "dvsd"), Strl("vids", "xvid")}));
  EXPECT_EQ(two.CodecFourCC(), "dvsd");

  const auto none = ParamOf(Avi({Strl("auds", "abcd")}));
  EXPECT_TRUE(none.valid);
  EXPECT_EQ(none.first_video_stream, -1);
  EXPECT_EQ(none.CodecFourCC(), "####");
}

TEST(AviParam, OtherFormsAndOtherStartsAreNotAvi) {
  EXPECT_FALSE(ParamOf(List("RIFF", "WAVE", {Chunk("fmt ", test::WaveFormatData())})).valid);
  Bytes junk_first = test::Concat({Chunk("JUNK", Bytes(10)), Avi({Strl("vids", "dvsd")})});
  EXPECT_FALSE(ParamOf(junk_first).valid);
  EXPECT_FALSE(ParamOf(Bytes{'R', 'I', 'F'}).valid);
  EXPECT_FALSE(ParamOf(Bytes{}).valid);
}

TEST(AviParam, TrailingBytesAfterACompleteAviKeepItValid) {
  const Bytes avi = Avi({Strl("vids", "dvsd")});
  for (const std::size_t garbage : {3u, 26u, 300u}) {
    Bytes bytes = avi;
    for (std::size_t i = 0; i < garbage; ++i) bytes.push_back(static_cast<std::uint8_t>(i * 7));
    EXPECT_TRUE(ParamOf(bytes).valid) << garbage;
  }
  // A second AVI form after the first is an OpenDML continuation.
  const Bytes avix = List("RIFF", "AVIX", {Movi(3)});
  const auto two_parts = ParamOf(test::Concat({avi, avix}));
  EXPECT_TRUE(two_parts.valid);
  EXPECT_EQ(two_parts.movi_lists.size(), 2u);
  // A second form of another kind is refused.
  EXPECT_FALSE(ParamOf(test::Concat({avi, List("RIFF", "WAVE", {})})).valid);
}

TEST(AviParam, CutInsideTheMediaStaysValidCutInsideTheHeadersDoesNot) {
  const Bytes avi = Avi({Strl("vids", "dvsd", test::BitmapInfoData("dvsd"))}, 10);
  const Bytes in_movi(avi.begin(), avi.end() - 500);
  const auto cut = ParamOf(in_movi);
  EXPECT_TRUE(cut.valid);
  EXPECT_EQ(cut.CodecFourCC(), "dvsd");

  // 12 (RIFF) + 12 (hdrl) + 64 (avih) + 12 (strl) + 8 (strh header) + 10: inside strh.
  const Bytes in_strh(avi.begin(), avi.begin() + 118);
  EXPECT_FALSE(ParamOf(in_strh).valid);
}

TEST(AviParam, LongStreamHeaderIsReadForItsFirst56Bytes) {
  Bytes strh = test::StrhData("vids", "dvsd");
  strh.resize(71, 0xEE);  // odd and longer than 56
  const Bytes strl = List("LIST", "strl", {Chunk("strh", strh), Chunk("strf", test::BitmapInfoData("dvsd"))});
  const auto param = ParamOf(Avi({strl, Strl("auds", "abcd")}));
  ASSERT_TRUE(param.valid);
  ASSERT_EQ(param.streams.size(), 2u);
  EXPECT_EQ(param.streams[0].header[55], 0);
  EXPECT_EQ(param.streams[0].format, test::BitmapInfoData("dvsd"));
  EXPECT_EQ(param.streams[1].FccType(), FourCC("auds"));
}

TEST(AviParam, OversizedFormatBlockIsKeptTo84Bytes) {
  const Bytes format = test::PatternFrame(300, 3);
  const auto param = ParamOf(Avi({Strl("vids", "dvsd", format)}));
  ASSERT_EQ(param.streams.size(), 1u);
  EXPECT_EQ(param.streams[0].format, Bytes(format.begin(), format.begin() + 84));
}

TEST(AviParam, OpenDmlIndexHeaderIsNoted) {
  test::AviBuilder b;
  b.AddStream({"vids", "dvsd", "dc", test::BitmapInfoData("dvsd")});
  for (std::uint32_t i = 0; i < 6; ++i) b.AddFrame(0, test::PatternFrame(50, i));
  const auto param = ParamOf(b.Build(test::AviIndexKind::kOpenDml, 2));
  ASSERT_TRUE(param.valid);
  ASSERT_TRUE(param.streams[0].index.has_value());
  EXPECT_EQ(param.streams[0].index->entries_position, param.streams[0].index->data_position + 24);
  EXPECT_EQ(param.streams[0].index->head.size(), 24u + 3 * 16);
  EXPECT_EQ(param.movi_lists.size(), 3u);
  EXPECT_EQ(param.odml_header.size(), 4u);
}

TEST(AviParam, UnopenableFileRaises) {
  test::TempDir dir;
  EXPECT_THROW(TFriendlyAviParam(dir / "missing.avi"), FileError);
  EXPECT_THROW(TFriendlyAviParam(dir.path()), FileError);
}

}  // namespace
}  // namespace korvid::media
