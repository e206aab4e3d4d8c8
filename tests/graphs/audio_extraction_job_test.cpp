#include "graphs/audio_extraction_job.h"

#include <gtest/gtest.h>

#include "commands/audio_extraction_commands.h"
#include "commands/command_skipped.h"
#include "media/avi_writer.h"
#include "sample_clip.h"
#include "support/avi_probe.h"
#include "support/sample_set.h"
#include "support/scripted_host.h"
#include "support/test_env.h"

namespace korvid::graphs {
namespace {

using test::TempDir;

std::vector<std::uint8_t> ExtractWav(const std::filesystem::path& source, const std::filesystem::path& wav,
                                     AudioRoute expected) {
  AudioExtractionJob job(source, wav);
  EXPECT_EQ(job.Route(), expected);
  EXPECT_GT(job.Duration(), 0);
  JobProgress progress;
  job.Run(progress);
  EXPECT_EQ(progress.Position(), job.Duration());
  return test::ExtractStream(wav, "a:0", "s16le");
}

// ffmpeg's own decoding of the first sound of a file to 16-bit PCM.
std::vector<std::uint8_t> FfmpegPcm(const std::filesystem::path& source, const std::filesystem::path& raw) {
  const auto result = test::RunShell("ffmpeg -v error -y -i " + test::Quoted(source) +
                                     " -map 0:a:0 -c:a pcm_s16le -f s16le " + test::Quoted(raw));
  EXPECT_EQ(result.exit_code, 0) << result.output;
  return test::ReadWholeFile(raw);
}

TEST(AudioExtraction, Type2SoundIsCopiedBitForBit) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  TempDir dir;
  const auto source = test::StandardSample("pal_type2.avi");
  const auto wav = ExtractWav(source, dir / "a.wav", AudioRoute::kStoredPcm);
  const auto stored = test::ExtractStream(source, "a:0", "s16le");
  ASSERT_FALSE(stored.empty());
  EXPECT_EQ(wav, stored);
  const auto probed = test::ProbeFile(dir / "a.wav");
  ASSERT_TRUE(probed);
  ASSERT_EQ(probed->streams.size(), 1u);
  EXPECT_EQ(probed->streams[0].sample_rate, 48000);
  EXPECT_EQ(probed->streams[0].channels, 2);
}

TEST(AudioExtraction, Type1SoundIsFoundInsideTheFrames) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  TempDir dir;
  const auto source = test::StandardSample("pal_type1.avi");
  const auto wav = ExtractWav(source, dir / "a.wav", AudioRoute::kDvFrames);
  // 50 PAL frames at 48 kHz: 1920 stereo samples each.
  EXPECT_EQ(wav.size(), 50u * 1920 * 4);
  EXPECT_EQ(wav, FfmpegPcm(source, dir / "ref.raw"));
}

TEST(AudioExtraction, TwelveBitSoundOfType1IsWidenedToSixteen) {
  KORVID_REQUIRE_PROGRAM("ffprobe");
  TempDir dir;
  samples::DvClipSpec spec;
  spec.dv_type = 1;
  spec.audio = media::DvAudioMode::k32k12Bit4Ch;
  spec.frames = 25;
  samples::WriteDvClip(dir / "t1.avi", spec);
  ExtractWav(dir / "t1.avi", dir / "a.wav", AudioRoute::kDvFrames);
  const auto probed = test::ProbeFile(dir / "a.wav");
  ASSERT_TRUE(probed);
  EXPECT_EQ(probed->streams.at(0).sample_rate, 32000);
  EXPECT_EQ(probed->streams.at(0).codec_name, "pcm_s16le");
}

TEST(AudioExtraction, AudioOnlyAndNonDvFilesKeepTheirStoredPcm) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  TempDir dir;
  for (const char* name : {samples::kAudioOnlyClipName, samples::kMjpegClipName}) {
    const auto source = test::StandardSample(name);
    const auto wav = ExtractWav(source, dir / (std::string(name) + ".wav"), AudioRoute::kStoredPcm);
    ASSERT_FALSE(wav.empty()) << name;
    EXPECT_EQ(wav, test::ExtractStream(source, "a:0", "s16le")) << name;
  }
}

TEST(AudioExtraction, CompressedSoundIsDecodedToPcm) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  TempDir dir;
  const auto made = test::RunShell("ffmpeg -v error -y -f lavfi -i testsrc=size=64x48:rate=10:duration=1 -f lavfi "
                                   "-i sine=frequency=440:sample_rate=22050:duration=1 -c:v mjpeg -c:a adpcm_ms " +
                                   test::Quoted(dir / "adpcm.avi"));
  ASSERT_EQ(made.exit_code, 0) << made.output;
  const auto wav = ExtractWav(dir / "adpcm.avi", dir / "a.wav", AudioRoute::kDecoded);
  ASSERT_GT(wav.size(), 20000u);
  EXPECT_EQ(wav, FfmpegPcm(dir / "adpcm.avi", dir / "ref.raw"));
}

TEST(AudioExtraction, AFileWithoutSoundIsRefused) {
  TempDir dir;
  {
    media::AviWriter::CreateType2(dir / "mute.avi", {}, {}).Close();
    test::WriteWholeFile(dir / "not.avi", std::vector<std::uint8_t>(64, 0x41));
  }
  EXPECT_THROW(AudioExtractionJob(dir / "mute.avi", dir / "a.wav"), ConversionError);
  EXPECT_THROW(AudioExtractionJob(dir / "not.avi", dir / "a.wav"), ConversionError);
  EXPECT_THROW(AudioExtractionJob(dir / "absent.avi", dir / "a.wav"), ConversionError);
  EXPECT_FALSE(std::filesystem::exists(dir / "a.wav"));
}

TEST(AudioExtraction, AStopLeavesAValidShorterWav) {
  KORVID_REQUIRE_PROGRAM("ffprobe");
  TempDir dir;
  AudioExtractionJob job(test::StandardSample("pal_type1.avi"), dir / "a.wav");
  JobProgress progress;
  progress.RequestStop();
  job.Run(progress);
  const auto file = test::ReadWholeFile(dir / "a.wav");
  ASSERT_GE(file.size(), 8u);
  EXPECT_EQ(file.size() - 8, std::uint32_t(file[4] | file[5] << 8 | file[6] << 16 | file[7] << 24));
  EXPECT_TRUE(test::ProbeFile(dir / "a.wav"));
}

TEST(AudioExtraction, BeyondTheRiffLimitTheWavIsRf64) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  TempDir dir;
  const auto source = test::StandardSample("pal_type2.avi");
  AudioExtractionJob job(source, dir / "a.wav", {.rf64_threshold = 4096});
  JobProgress progress;
  job.Run(progress);
  const auto file = test::ReadWholeFile(dir / "a.wav");
  EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RF64");
  EXPECT_EQ(test::ExtractStream(dir / "a.wav", "a:0", "s16le"), test::ExtractStream(source, "a:0", "s16le"));
}

// The command: conditions, and a run whose WAV stays out of the list.
TEST(ExtraireAudio, ConditionsAndExecution) {
  media::TAfficherFichier entry;
  bool visible = false;
  bool enabled = true;
  commands::ExtraireAudioFileCondition(entry, visible, enabled);
  EXPECT_TRUE(visible);
  EXPECT_FALSE(enabled);  // no sound found by the analysis
  entry.isDV = true;
  entry.dvType = 1;
  entry.codec = "DVSD";
  entry.audioText = "48000 Hz";
  commands::ExtraireAudioFileCondition(entry, visible, enabled);
  EXPECT_FALSE(visible);
  entry.codec = "dvsd";
  commands::ExtraireAudioFileCondition(entry, visible, enabled);
  EXPECT_TRUE(visible);
  EXPECT_TRUE(enabled);

  TempDir dir;
  const auto source = test::CopyStandardSample("pal_type1.avi", dir.path());
  entry.fullName = source.string();
  entry.name = source.filename().string();
  commands::ConvertTimer timer;
  settings::Preferences preferences;
  preferences.saveInSameFolder = true;
  FilterAvailability availability;
  test::ScriptedHost host;
  commands::ProcessFlags flags;
  commands::ConversionServices services{timer, preferences, availability, host, flags};
  EXPECT_TRUE(commands::ExtraireAudioConfirmation(entry, preferences).empty());
  std::string newfichier;
  EXPECT_EQ(commands::ExtraireAudioExecution(entry, newfichier, services), commands::utNone);
  EXPECT_EQ(newfichier, (dir / "pal_type1.wav").string());
  EXPECT_TRUE(std::filesystem::exists(newfichier));
  EXPECT_NE(commands::ExtraireAudioConfirmation(entry, preferences).find("pal_type1.wav"), std::string::npos);

  // Without sound nothing is written: the file is skipped.
  auto mute = media::AviWriter::CreateType2(dir / "mute.avi", {}, {});
  mute.Close();
  entry.fullName = (dir / "mute.avi").string();
  EXPECT_THROW(commands::ExtraireAudioExecution(entry, newfichier, services), commands::CommandSkipped);
  EXPECT_TRUE(newfichier.empty());
  EXPECT_FALSE(std::filesystem::exists(dir / "mute.wav"));
}

}  // namespace
}  // namespace korvid::graphs
