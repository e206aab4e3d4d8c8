#include "media/wav_writer.h"

#include <gtest/gtest.h>

#include "media/le_bytes.h"
#include "support/avi_probe.h"
#include "support/test_env.h"

namespace korvid::media {
namespace {

using test::TempDir;

std::vector<std::uint8_t> Ramp(std::size_t bytes) {
  std::vector<std::uint8_t> data(bytes);
  for (std::size_t i = 0; i < bytes; ++i) data[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
  return data;
}

std::string ProbeField(const std::filesystem::path& path, const std::string& entry) {
  const auto result = test::RunShell("ffprobe -v error -show_entries " + entry +
                                     " -of default=noprint_wrappers=1:nokey=1 " + test::Quoted(path));
  std::string text = result.output;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

TEST(WavWriter, SizesAreThoseOfTheDataAndFfmpegReadsTheSamplesBack) {
  KORVID_REQUIRE_PROGRAM("ffprobe");
  TempDir dir;
  const auto data = Ramp(48000 * 4 + 400);  // one second and 100 sample frames
  {
    WavWriter writer(dir / "a.wav", PcmWaveFormat(48000, 2, 16));
    // Pieces of every size, some larger than the writer's buffer.
    writer.Write(std::span(data).first(3));
    writer.Write(std::span(data).subspan(3, 100000));
    writer.Write(std::span(data).subspan(100003));
    writer.Close();
    EXPECT_FALSE(writer.IsRf64());
  }
  const auto file = test::ReadWholeFile(dir / "a.wav");
  ASSERT_GE(file.size(), 12u);
  EXPECT_EQ(FourCCText(LoadLE32(file.data())), "RIFF");
  EXPECT_EQ(LoadLE32(file.data() + 4), file.size() - 8);
  EXPECT_EQ(ProbeField(dir / "a.wav", "stream=codec_name,sample_rate,channels"), "pcm_s16le\n48000\n2");
  EXPECT_EQ(test::ExtractStream(dir / "a.wav", "a:0", "s16le"), data);
}

TEST(WavWriter, OddDataGetsAPadByteOutsideTheDataSize) {
  TempDir dir;
  {
    WavWriter writer(dir / "odd.wav", PcmWaveFormat(8000, 1, 8));
    const std::vector<std::uint8_t> three{1, 2, 3};
    writer.Write(three);
    writer.Close();
  }
  const auto file = test::ReadWholeFile(dir / "odd.wav");
  ASSERT_EQ(file.size() % 2, 0u);
  EXPECT_EQ(LoadLE32(file.data() + 4), file.size() - 8);
  EXPECT_EQ(LoadLE32(file.data() + file.size() - 8), 3u);  // data size, before the 3 bytes and the pad
  EXPECT_EQ(file.back(), 0);
}

TEST(WavWriter, PastTheLimitTheFileBecomesRf64AndStaysReadable) {
  KORVID_REQUIRE_PROGRAM("ffprobe");
  TempDir dir;
  const auto data = Ramp(44100 * 4);
  {
    WavWriter writer(dir / "big.wav", PcmWaveFormat(44100, 2, 16), {.rf64_threshold = 100000});
    writer.Write(data);
    writer.Close();
    EXPECT_TRUE(writer.IsRf64());
  }
  const auto file = test::ReadWholeFile(dir / "big.wav");
  EXPECT_EQ(FourCCText(LoadLE32(file.data())), "RF64");
  EXPECT_EQ(LoadLE32(file.data() + 4), 0xFFFFFFFFu);
  EXPECT_EQ(FourCCText(LoadLE32(file.data() + 12)), "ds64");
  EXPECT_EQ(LoadLE64(file.data() + 20), file.size() - 8);
  EXPECT_EQ(LoadLE64(file.data() + 28), data.size());
  EXPECT_EQ(LoadLE64(file.data() + 36), data.size() / 4);  // sample frames
  EXPECT_EQ(ProbeField(dir / "big.wav", "format=format_name"), "wav");
  EXPECT_EQ(test::ExtractStream(dir / "big.wav", "a:0", "s16le"), data);
}

TEST(WavWriter, RefusesFormatsItCannotDescribe) {
  TempDir dir;
  EXPECT_THROW(PcmWaveFormat(0, 2, 16), std::invalid_argument);
  EXPECT_THROW(PcmWaveFormat(48000, 2, 12), std::invalid_argument);
  EXPECT_THROW(WavWriter(dir / "x.wav", std::vector<std::uint8_t>(10)), std::invalid_argument);
  EXPECT_THROW(WavWriter(dir / "missing" / "x.wav", PcmWaveFormat(48000, 2, 16)), FileError);
}

}  // namespace
}  // namespace korvid::media
