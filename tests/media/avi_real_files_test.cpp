// AVI files written by independent tools, read by our header reader,
// locator and frame index, and checked against ffprobe's count.

#include <algorithm>
#include <string>

#include "media/avi_frame_index.h"
#include "media/avi_param.h"
#include "media/avi_stream_locator.h"
#include "media/le_bytes.h"
#include "support/dvgrab.h"
#include "support/test_env.h"

namespace korvid::media {
namespace {

using test::RunCommand;

std::size_t FfprobeVideoPackets(const std::filesystem::path& file) {
  const auto r = RunCommand({"ffprobe", "-v", "error", "-count_packets", "-select_streams", "v:0",
                             "-show_entries", "stream=nb_read_packets", "-of", "csv=p=0", file.string()});
  EXPECT_EQ(r.exit_code, 0);
  return static_cast<std::size_t>(std::stoul(r.output));
}

std::filesystem::path Dvgrab(const test::TempDir& dir, const std::filesystem::path& dv,
                             const std::string& format, bool opendml) {
  const std::string prefix = (dir / (format + (opendml ? "odml" : "") + "-")).string();
  const std::filesystem::path written = test::RunDvgrab(dv, format, opendml, prefix);
  EXPECT_FALSE(written.empty()) << "dvgrab wrote nothing for " << format;
  return written.empty() ? std::filesystem::path(prefix + "001.avi") : written;
}

void ExpectFirstFrameIs(const std::filesystem::path& avi, const std::vector<std::uint8_t>& dv,
                        std::size_t frame_bytes) {
  const BinaryFile file(avi, BinaryFile::Mode::kRead);
  const TAviParam param(file);
  ASSERT_TRUE(param.valid);
  const auto stream = FindDvVideoStream(param);
  ASSERT_TRUE(stream);
  const AviFrameIndex index = AviFrameIndex::Load(file, param);
  EXPECT_EQ(index.FramesOf(*stream).size(), FfprobeVideoPackets(avi));
  std::vector<std::uint8_t> first(frame_bytes);
  ASSERT_EQ(index.ReadFrameStart(file, *stream, 0, first), frame_bytes);
  EXPECT_TRUE(std::equal(first.begin(), first.end(), dv.begin()));
}

TEST(AviRealFiles, DvgrabTypesOneTwoAndOpenDml) {
  KORVID_REQUIRE_REAL_FIXTURES();
  KORVID_REQUIRE_PROGRAM("dvgrab");
  KORVID_REQUIRE_PROGRAM("ffprobe");
  test::TempDir dir;
  std::vector<std::uint8_t> dv = test::ReadWholeFile(test::RealFixturesDir() / "sony_perfect.dv");
  const auto second = test::ReadWholeFile(test::RealFixturesDir() / "sony_subcode_errors.dv");
  dv.insert(dv.end(), second.begin(), second.end());
  dv.insert(dv.end(), dv.begin(), dv.begin() + 120000);
  test::WriteWholeFile(dir / "in.dv", dv);

  const auto type1 = Dvgrab(dir, dir / "in.dv", "dv1", false);
  const TFriendlyAviParam p1(type1);
  EXPECT_TRUE(p1.valid);
  ASSERT_EQ(p1.streams.size(), 1u);
  EXPECT_EQ(p1.streams[0].FccType(), FourCC("iavs"));
  EXPECT_EQ(p1.CodecFourCC(), FourCCText(ReadVideoHandler(type1)));
  ExpectFirstFrameIs(type1, dv, 120000);

  for (const bool opendml : {false, true}) {
    SCOPED_TRACE(opendml);
    const auto type2 = Dvgrab(dir, dir / "in.dv", "dv2", opendml);
    const TFriendlyAviParam p2(type2);
    EXPECT_TRUE(p2.valid);
    EXPECT_EQ(p2.first_video_stream, 0);
    EXPECT_EQ(p2.streams.size(), 2u);
    ExpectFirstFrameIs(type2, dv, 120000);
  }
}

class FfmpegAvi : public ::testing::Test {
 protected:
  void SetUp() override {
    KORVID_REQUIRE_PROGRAM("ffmpeg");
    KORVID_REQUIRE_PROGRAM("ffprobe");
    ASSERT_EQ(RunCommand({"ffmpeg", "-nostdin", "-v", "error", "-f", "lavfi", "-i",
                          "testsrc=size=720x576:rate=25", "-f", "lavfi", "-i", "sine=sample_rate=48000",
                          "-t", "0.4", "-c:v", "dvvideo", "-pix_fmt", "yuv420p", "-ac", "2", "-c:a",
                          "pcm_s16le", "-f", "dv", (dir_ / "x.dv").string()})
                  .exit_code,
              0);
  }
  test::TempDir dir_;
};

TEST_F(FfmpegAvi, DvCopiedIntoAviIsTypeTwoWithFramesInPlace) {
  const auto avi = dir_ / "x.avi";
  ASSERT_EQ(RunCommand({"ffmpeg", "-nostdin", "-v", "error", "-i", (dir_ / "x.dv").string(), "-c", "copy",
                        avi.string()}).exit_code, 0);
  const TFriendlyAviParam param(avi);
  EXPECT_TRUE(param.valid);
  EXPECT_EQ(param.CodecFourCC(), "dvsd");
  ASSERT_EQ(param.streams.size(), 2u);
  EXPECT_EQ(param.streams[1].FccType(), FourCC("auds"));
  ExpectFirstFrameIs(avi, test::ReadWholeFile(dir_ / "x.dv"), 144000);

  const auto before = test::ReadWholeFile(avi);
  WriteFrameRate(avi, 30.0);
  WriteVideoHandler(avi, FourCC("CDVC"));
  EXPECT_EQ(TFriendlyAviParam(avi).CodecFourCC(), "CDVC");
  const auto after = test::ReadWholeFile(avi);
  ASSERT_EQ(after.size(), before.size());
  std::size_t changed = 0;
  for (std::size_t i = 0; i < before.size(); ++i) changed += before[i] != after[i];
  EXPECT_GE(changed, 1u);
  EXPECT_LE(changed, 12u);
  // An independent reader sees the new fraction.
  const auto r = RunCommand({"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                             "stream=time_base", "-of", "csv=p=0", avi.string()});
  EXPECT_NE(r.output.find("33333/1000000"), std::string::npos) << r.output;
}

TEST_F(FfmpegAvi, MotionJpegAviHasNoDvButAVideoCodec) {
  const auto avi = dir_ / "m.avi";
  ASSERT_EQ(RunCommand({"ffmpeg", "-nostdin", "-v", "error", "-f", "lavfi", "-i", "testsrc=size=160x120:rate=25",
                        "-t", "0.4", "-c:v", "mjpeg", avi.string()}).exit_code, 0);
  const TFriendlyAviParam param(avi);
  EXPECT_TRUE(param.valid);
  EXPECT_EQ(param.CodecFourCC(), "MJPG");
  const BinaryFile file(avi, BinaryFile::Mode::kRead);
  const AviFrameIndex index = AviFrameIndex::Load(file);
  EXPECT_EQ(index.FramesOf(0).size(), FfprobeVideoPackets(avi));
  std::array<std::uint8_t, 2> soi{};
  ASSERT_EQ(index.ReadFrameStart(file, 0, 0, soi), 2u);
  EXPECT_EQ(soi[0], 0xFF);  // JPEG start of image
  EXPECT_EQ(soi[1], 0xD8);
}

}  // namespace
}  // namespace korvid::media
