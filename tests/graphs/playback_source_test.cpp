#include "graphs/playback_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "graphs/audio_extraction_job.h"
#include "graphs/playback_feed.h"
#include "media/avi_writer.h"
#include "media/le_bytes.h"
#include "sample_clip.h"
#include "support/avi_probe.h"
#include "support/sample_set.h"
#include "support/test_env.h"

namespace korvid::graphs {
namespace {

using test::TempDir;

samples::DvClipSpec StandardClip(const std::string& name) {
  for (const auto& spec : samples::StandardDvClips())
    if (spec.file_name == name) return spec;
  throw std::invalid_argument("no standard clip " + name);
}

// ffmpeg's decode of frames `numbers` (ascending) of a file, as 32-bit
// pixels in the byte order of QImage::Format_RGB32 on this machine.
std::vector<std::vector<std::uint8_t>> FfmpegPictures(const std::filesystem::path& source,
                                                      const std::vector<int>& numbers, int width, int height,
                                                      const std::filesystem::path& raw) {
  std::string select;
  for (const int n : numbers) select += (select.empty() ? "" : "+") + std::string("eq(n\\,") + std::to_string(n) + ")";
  const auto result = test::RunShell("ffmpeg -v error -y -i " + test::Quoted(source) + " -vf \"select=" + select +
                                     "\" -vsync 0 -f rawvideo -pix_fmt bgra " + test::Quoted(raw));
  EXPECT_EQ(result.exit_code, 0) << result.output;
  const auto bytes = test::ReadWholeFile(raw);
  const std::size_t one = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
  std::vector<std::vector<std::uint8_t>> pictures;
  for (std::size_t at = 0; at + one <= bytes.size(); at += one)
    pictures.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                          bytes.begin() + static_cast<std::ptrdiff_t>(at + one));
  return pictures;
}

std::vector<std::uint8_t> PixelsOf(const QImage& image) {
  if (image.isNull()) return {};
  return {image.constBits(), image.constBits() + image.sizeInBytes()};
}

// The first sound of a file as the audio extraction writes it, as samples.
std::vector<std::int16_t> ExtractedSound(const std::filesystem::path& source, const std::filesystem::path& wav) {
  AudioExtractionJob job(source, wav);
  JobProgress progress;
  job.Run(progress);
  const auto bytes = test::ExtractStream(wav, "a:0", "s16le");
  std::vector<std::int16_t> samples(bytes.size() / 2);
  std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
  return samples;
}

// Checks the picture of frames `numbers` of `source`, read in the order
// given, against ffmpeg's decode.
void ExpectPicturesAsFfmpeg(PlaybackSource& source, const std::filesystem::path& path, std::vector<int> numbers,
                            const TempDir& dir) {
  std::vector<PlaybackFrame> frames;
  for (const int n : numbers) frames.push_back(source.Read(n));
  std::vector<int> sorted = numbers;
  std::sort(sorted.begin(), sorted.end());
  const QImage& first = frames.front().picture;
  ASSERT_FALSE(first.isNull());
  const auto reference = FfmpegPictures(path, sorted, first.width(), first.height(), dir / "ref.raw");
  ASSERT_EQ(reference.size(), sorted.size());
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    const auto at = std::find(sorted.begin(), sorted.end(), numbers[i]) - sorted.begin();
    EXPECT_EQ(frames[i].number, numbers[i]);
    EXPECT_TRUE(PixelsOf(frames[i].picture) == reference[static_cast<std::size_t>(at)])
        << path.filename() << " frame " << numbers[i];
  }
}

TEST(PlaybackSource, DvFramesShowFfmpegsPictureAndTheirOwnPacks) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  TempDir dir;
  for (const char* name : {"pal_type1.avi", "ntsc_type2.avi", "pal_wide.avi", "undated_stretch.avi"}) {
    SCOPED_TRACE(name);
    const auto spec = StandardClip(name);
    PlaybackSource source(test::StandardSample(name));
    ASSERT_TRUE(source.IsDv());
    ASSERT_EQ(source.FrameCount(), spec.frames);
    // Out of order, as a user seeking about would ask.
    const std::vector<int> numbers{spec.frames - 1, 3, 30, 4, 0};
    ExpectPicturesAsFfmpeg(source, test::StandardSample(name), numbers, dir);
    for (const int k : {0, 19, 20, 44, 45, spec.frames - 1}) {
      const PlaybackFrame frame = source.Read(k);
      ASSERT_TRUE(frame.packs);
      EXPECT_EQ(frame.packs->datecode, samples::DatecodeOfFrame(spec, k)) << "frame " << k;
      EXPECT_EQ(frame.packs->timecode, samples::TimecodeOfFrame(spec, k)) << "frame " << k;
      EXPECT_EQ(frame.packs->wide, spec.wide);
      EXPECT_EQ(frame.aspect, spec.wide ? (DisplayAspect{16, 9}) : (DisplayAspect{4, 3}));
      EXPECT_EQ(frame.time_ms, spec.system == media::DvSystem::k625_50 ? k * 40 : k * 1001 / 30);
    }
  }
}

TEST(PlaybackSource, RealCamcorderFrameShowsFfmpegsPictureAndItsPacks) {
  KORVID_REQUIRE_REAL_FIXTURES();
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  TempDir dir;
  const auto frame = test::ReadWholeFile(test::RealFixturesDir() / "sony_perfect.dv");
  ASSERT_EQ(frame.size(), media::FrameBytes(media::DvSystem::k525_60));
  const auto path = dir / "sony.avi";
  {
    auto writer = media::AviWriter::CreateType1(path, {media::DvSystem::k525_60, false});
    for (int n = 0; n < 3; ++n) writer.WriteVideoFrame(frame);
    writer.Close();
  }
  PlaybackSource source(path);
  ExpectPicturesAsFfmpeg(source, path, {2, 0}, dir);
  const PlaybackFrame shown = source.Read(1);
  ASSERT_TRUE(shown.packs);
  // As the camcorder recorded it (fixtures README).
  EXPECT_EQ(shown.packs->datecode, (media::TDatecode{2024, 7, 8, 19, 55, 58}));
  EXPECT_EQ(shown.packs->timecode, (media::TTimecode{0, 0, 2, 20}));
  EXPECT_EQ(shown.sound.sample_rate, 32000);
  EXPECT_EQ(shown.sound.Frames(), 1068u);
}

TEST(PlaybackSource, OtherCodecsAreDecodedByFfmpegAtAnyFrame) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  TempDir dir;
  const auto path = test::StandardSample(samples::kMjpegClipName);
  PlaybackSource source(path);
  EXPECT_FALSE(source.IsDv());
  ASSERT_EQ(source.FrameCount(), 25);
  ExpectPicturesAsFfmpeg(source, path, {20, 3, 4, 24, 0}, dir);
  const PlaybackFrame frame = source.Read(7);
  EXPECT_EQ(frame.aspect, (DisplayAspect{4, 3}));
  EXPECT_FALSE(frame.packs);
}

// The sound of frames k..k+n, through the feed after a seek elsewhere,
// is the stretch of the extracted WAV where those frames fall.
TEST(PlaybackSource, SoundOfFramesIsTheMatchingStretchOfTheExtractedWav) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  TempDir dir;
  // Sound FFmpeg has to decode (A-law), beside the DV and PCM clips.
  const auto alaw = dir / "alaw.avi";
  ASSERT_EQ(test::RunShell("ffmpeg -v error -f lavfi -i testsrc=d=3:s=160x120:r=25 -f lavfi -i "
                           "sine=f=440:d=3:r=8000 -ac 2 -c:v mjpeg -c:a pcm_alaw " + test::Quoted(alaw))
                .exit_code,
            0);
  std::vector<std::filesystem::path> paths{alaw};
  for (const char* name : {"pal_type1.avi", "pal_type2.avi", "ntsc_type2.avi", "pal_32k_12bit.avi",
                           samples::kMjpegClipName, samples::kAudioOnlyClipName})
    paths.push_back(test::StandardSample(name));
  for (const auto& path : paths) {
    const std::string name = path.filename().string();
    SCOPED_TRACE(name);
    const auto wav = ExtractedSound(path, dir / "sound.wav");
    PlaybackSource source(path);
    const std::int64_t k = 11;
    const std::int64_t n = std::min<std::int64_t>(30, source.FrameCount() - k);
    // Where frame k's sound starts: the samples of the frames before it.
    std::size_t offset = 0;
    for (std::int64_t j = 0; j < k; ++j) offset += source.Read(j).sound.samples.size();
    if (name.find("type2") != std::string::npos || !source.IsDv()) {
      const auto rate = static_cast<std::size_t>(source.Read(0).sound.sample_rate);
      const FrameRate fps = source.Rate();
      EXPECT_EQ(offset, static_cast<std::size_t>(k) * rate * static_cast<std::size_t>(fps.den) /
                            static_cast<std::size_t>(fps.num) * 2);
    }

    PlaybackFeed feed(source, 4);
    feed.Seek(source.FrameCount() - 2);
    ASSERT_TRUE(feed.Next());
    feed.Seek(k);
    std::vector<std::int16_t> heard;
    for (std::int64_t j = 0; j < n; ++j) {
      const auto frame = feed.Next();
      ASSERT_TRUE(frame);
      EXPECT_EQ(frame->number, k + j);
      EXPECT_EQ(frame->time_ms, source.TimeMsOf(k + j));
      EXPECT_EQ(frame->picture.isNull(), !source.HasVideo());
      ASSERT_EQ(frame->sound.channels, 2);
      heard.insert(heard.end(), frame->sound.samples.begin(), frame->sound.samples.end());
    }
    ASSERT_LE(offset + heard.size(), wav.size());
    EXPECT_TRUE(std::equal(heard.begin(), heard.end(), wav.begin() + static_cast<std::ptrdiff_t>(offset)));
  }
}

TEST(PlaybackSource, SoundOnlyFileComesInFortyMillisecondStretchesToItsEnd) {
  const auto path = test::StandardSample(samples::kAudioOnlyClipName);
  PlaybackSource source(path);
  EXPECT_FALSE(source.HasVideo());
  ASSERT_EQ(source.FrameCount(), 25);  // one second
  PlaybackFeed feed(source);
  feed.Seek(20);
  std::vector<std::int64_t> times;
  while (const auto stretch = feed.Next()) {
    times.push_back(stretch->time_ms);
    EXPECT_EQ(stretch->sound.Frames(), 1920u);
  }
  EXPECT_EQ(times, (std::vector<std::int64_t>{800, 840, 880, 920, 960}));
  EXPECT_TRUE(feed.AtEnd());
}

TEST(PlaybackSource, FailuresNameTheStageThatFailed) {
  TempDir dir;
  const auto stage_of = [](const std::filesystem::path& path) {
    try {
      PlaybackSource source(path);
    } catch (const PlaybackError& error) {
      EXPECT_NE(std::string(error.what()), "");
      return static_cast<int>(error.Stage());
    }
    return 0;
  };
  EXPECT_EQ(stage_of(dir / "missing.avi"), 1);
  test::WriteWholeFile(dir / "text.avi", {'h', 'e', 'l', 'l', 'o'});
  EXPECT_EQ(stage_of(dir / "text.avi"), 2);
  {
    std::vector<media::AviStream> streams;
    streams.push_back(media::VideoStream(media::FourCC("QQZZ"), 64, 48, 24, {25, 1}, 4096));
    auto writer = media::AviWriter::Create(dir / "odd.avi", std::move(streams));
    const std::vector<std::uint8_t> junk(4096, 0x5A);
    for (int n = 0; n < 5; ++n) writer.WriteChunk(0, junk);
    writer.Close();
  }
  EXPECT_EQ(stage_of(dir / "odd.avi"), 4);
}

}  // namespace
}  // namespace korvid::graphs
