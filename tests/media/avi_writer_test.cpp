#include "media/avi_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <numbers>
#include <cstring>
#include <stdexcept>
#include <sys/resource.h>

#include "media/avi_stream_analysis.h"
#include "media/binary_file.h"
#include "media/le_bytes.h"
#include "support/avi_probe.h"
#include "support/test_env.h"

namespace korvid::media {
namespace {

using test::ExtractStream;
using test::ProbeFile;
using test::ReadWholeFile;
using test::RunShell;
using test::StreamFormat;
using test::TempDir;

// Raw DV made by ffmpeg, cut into frames.
struct DvClip {
  DvSystem system;
  std::vector<std::uint8_t> bytes;
  std::size_t Frames() const { return bytes.size() / FrameBytes(system); }
  std::span<const std::uint8_t> Frame(std::size_t i) const {
    return std::span(bytes).subspan((i % Frames()) * FrameBytes(system), FrameBytes(system));
  }
};

DvClip MakeClip(DvSystem system) {
  const bool pal = system == DvSystem::k625_50;
  TempDir dir;
  const auto out = dir / "clip.dv";
  const std::string video = pal ? "testsrc=size=720x576:rate=25" : "testsrc=size=720x480:rate=30000/1001";
  const auto r = RunShell("ffmpeg -nostdin -v error -f lavfi -i " + video +
                          " -f lavfi -i sine=sample_rate=48000 -t 1 -c:v dvvideo -pix_fmt " +
                          (pal ? "yuv420p" : "yuv411p") + " -ac 2 -c:a pcm_s16le -f dv " + test::Quoted(out));
  if (r.exit_code != 0) throw std::runtime_error("ffmpeg could not make DV: " + r.output);
  return DvClip{system, ReadWholeFile(out)};
}

const DvClip& PalClip() {
  static const DvClip clip = MakeClip(DvSystem::k625_50);
  return clip;
}
const DvClip& NtscClip() {
  static const DvClip clip = MakeClip(DvSystem::k525_60);
  return clip;
}

// Sample frames of stereo 16-bit sound for DV frame n: 1920 a PAL frame,
// 1600 then four of 1602 for NTSC (8008 every five frames at 48 kHz).
std::size_t SamplesForFrame(DvSystem system, std::size_t n) {
  if (system == DvSystem::k625_50) return 1920;
  return n % 5 == 0 ? 1600 : 1602;
}

// A tone that differs per stream, so crossed streams would show.
std::vector<std::uint8_t> Tone(std::size_t samples, std::size_t first_sample, int stream) {
  std::vector<std::uint8_t> pcm(samples * 4);
  for (std::size_t i = 0; i < samples; ++i) {
    const double t = static_cast<double>(first_sample + i) / 48000.0;
    const auto left = static_cast<std::int16_t>(std::lround(8000 * std::sin(2 * std::numbers::pi * (440 + 110 * stream) * t)));
    const auto right = static_cast<std::int16_t>(std::lround(6000 * std::sin(2 * std::numbers::pi * 660 * t)));
    StoreLE16(pcm.data() + 4 * i, static_cast<std::uint16_t>(left));
    StoreLE16(pcm.data() + 4 * i + 2, static_cast<std::uint16_t>(right));
  }
  return pcm;
}

// What a type-2 writing job handed to the writer, for comparing.
struct Written {
  std::vector<std::uint8_t> video;
  std::vector<std::vector<std::uint8_t>> audio;
};

Written WriteType2(AviWriter& writer, const DvClip& clip, std::size_t frames, int pairs) {
  Written w;
  w.audio.resize(static_cast<std::size_t>(pairs));
  std::size_t sample = 0;
  for (std::size_t n = 0; n < frames; ++n) {
    const auto frame = clip.Frame(n);
    writer.WriteVideoFrame(frame);
    w.video.insert(w.video.end(), frame.begin(), frame.end());
    const std::size_t samples = SamplesForFrame(clip.system, n);
    for (int p = 0; p < pairs; ++p) {
      const auto pcm = Tone(samples, sample, p);
      writer.WriteAudio(static_cast<std::size_t>(p), pcm);
      w.audio[static_cast<std::size_t>(p)].insert(w.audio[static_cast<std::size_t>(p)].end(), pcm.begin(), pcm.end());
    }
    sample += samples;
  }
  return w;
}

std::vector<std::uint8_t> WriteType1(AviWriter& writer, const DvClip& clip, std::size_t frames) {
  std::vector<std::uint8_t> all;
  for (std::size_t n = 0; n < frames; ++n) {
    writer.WriteVideoFrame(clip.Frame(n));
    all.insert(all.end(), clip.Frame(n).begin(), clip.Frame(n).end());
  }
  return all;
}

void ExpectFfmpegDecodesCleanly(const std::filesystem::path& path) {
  const auto r = RunShell("ffmpeg -nostdin -v error -i " + test::Quoted(path) + " -f null -");
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.output, "") << "ffmpeg complained while decoding " << path;
}

long long VideoFramesRead(const std::filesystem::path& path) {
  const auto probed = ProbeFile(path);
  if (!probed) return -1;
  for (const auto& s : probed->streams)
    if (s.codec_type == "video") return s.read_frames;
  return -1;
}

class AviWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KORVID_REQUIRE_PROGRAM("ffmpeg");
    KORVID_REQUIRE_PROGRAM("ffprobe");
  }
  TempDir dir_;
};

TEST_F(AviWriterTest, PalType2IsReadBackWhole) {
  const auto path = dir_ / "pal2.avi";
  Written w;
  {
    auto writer = AviWriter::CreateType2(path, {DvSystem::k625_50, false}, {AviAudioFormat{}});
    w = WriteType2(writer, PalClip(), 25, 1);
    writer.Close();
    EXPECT_EQ(writer.FramesWritten(), 25u);
  }
  const auto probed = ProbeFile(path);
  ASSERT_TRUE(probed);
  EXPECT_EQ(probed->format_name, "avi");
  ASSERT_EQ(probed->streams.size(), 2u);
  const auto& v = probed->streams[0];
  EXPECT_EQ(v.codec_name, "dvvideo");
  EXPECT_EQ(v.codec_tag, "dvsd");
  EXPECT_EQ(v.width, 720);
  EXPECT_EQ(v.height, 576);
  EXPECT_EQ(v.frame_rate, "25/1");
  EXPECT_EQ(v.display_aspect, "4:3");
  EXPECT_EQ(v.read_frames, 25);
  const auto& a = probed->streams[1];
  EXPECT_EQ(a.codec_name, "pcm_s16le");
  EXPECT_EQ(a.sample_rate, 48000);
  EXPECT_EQ(a.channels, 2);
  EXPECT_EQ(ExtractStream(path, "v:0", "rawvideo"), w.video);
  EXPECT_EQ(ExtractStream(path, "a:0", "s16le"), w.audio[0]);
  ExpectFfmpegDecodesCleanly(path);
}

TEST_F(AviWriterTest, NtscType2WithTwoPairsKeepsEachPairApart) {
  const auto path = dir_ / "ntsc2.avi";
  Written w;
  {
    auto writer = AviWriter::CreateType2(path, {DvSystem::k525_60, true}, {AviAudioFormat{}, AviAudioFormat{}});
    w = WriteType2(writer, NtscClip(), 30, 2);
    writer.Close();
  }
  const auto probed = ProbeFile(path);
  ASSERT_TRUE(probed);
  ASSERT_EQ(probed->streams.size(), 3u);
  EXPECT_EQ(probed->streams[0].height, 480);
  EXPECT_EQ(probed->streams[0].frame_rate, "30000/1001");
  EXPECT_EQ(probed->streams[0].display_aspect, "16:9");
  EXPECT_EQ(probed->streams[0].read_frames, 30);
  EXPECT_EQ(ExtractStream(path, "v:0", "rawvideo"), w.video);
  EXPECT_EQ(ExtractStream(path, "a:0", "s16le"), w.audio[0]);
  EXPECT_EQ(ExtractStream(path, "a:1", "s16le"), w.audio[1]);
  ExpectFfmpegDecodesCleanly(path);
}

TEST_F(AviWriterTest, Type1CarriesWholeFramesInOneStream) {
  for (const DvClip* clip : {&PalClip(), &NtscClip()}) {
    const auto path = dir_ / "type1.avi";
    std::vector<std::uint8_t> frames;
    {
      auto writer = AviWriter::CreateType1(path, {clip->system, false});
      frames = WriteType1(writer, *clip, clip->Frames());
      writer.Close();
    }
    const auto probed = ProbeFile(path);
    ASSERT_TRUE(probed);
    ASSERT_GE(probed->streams.size(), 1u);
    EXPECT_EQ(probed->streams[0].codec_name, "dvvideo");
    EXPECT_EQ(probed->streams[0].frame_rate, clip->system == DvSystem::k625_50 ? "25/1" : "30000/1001");
    EXPECT_EQ(probed->streams[0].read_frames, static_cast<long long>(clip->Frames()));
    EXPECT_EQ(ExtractStream(path, "v:0", "rawvideo"), frames);
    ExpectFfmpegDecodesCleanly(path);

    const auto file = ReadWholeFile(path);
    EXPECT_EQ(test::TopLevelForms(file), std::vector<std::string>{"RIFF AVI "});
    const auto dvinfo = StreamFormat(file, 0);
    EXPECT_EQ(dvinfo.size(), 32u);
  }
}

TEST_F(AviWriterTest, MediaInfoSeesOpenDmlAndDv) {
  KORVID_REQUIRE_PROGRAM("mediainfo");
  const auto type1 = dir_ / "t1.avi";
  const auto type2 = dir_ / "t2.avi";
  const auto single = dir_ / "single.avi";
  AviWriterOptions options;
  options.riff_part_limit = 1 << 20;
  {
    auto w1 = AviWriter::CreateType1(type1, {DvSystem::k625_50, false}, options);
    WriteType1(w1, PalClip(), 12);
    auto w2 = AviWriter::CreateType2(type2, {DvSystem::k625_50, false}, {AviAudioFormat{}}, options);
    WriteType2(w2, PalClip(), 12, 1);
    auto w3 = AviWriter::CreateType2(single, {DvSystem::k625_50, false}, {AviAudioFormat{}});
    WriteType2(w3, PalClip(), 5, 1);
    for (AviWriter* w : {&w1, &w2, &w3}) w->Close();
  }
  // mediainfo names the profile only for files that have AVIX parts.
  for (const auto& path : {type1, type2}) {
    const auto info = test::ReadMediaInfo(path);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->format, "AVI") << path;
    EXPECT_EQ(info->format_profile, "OpenDML") << path;
    EXPECT_EQ(info->video_format, "DV") << path;
    EXPECT_EQ(info->video_frames, "12") << path;
  }
  const auto info = test::ReadMediaInfo(single);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->format, "AVI");
  EXPECT_EQ(info->video_format, "DV");
  EXPECT_EQ(info->video_frames, "5");
}

TEST_F(AviWriterTest, SmallPartLimitSpreadsFramesOverAvixParts) {
  const auto path = dir_ / "parts.avi";
  AviWriterOptions options;
  options.riff_part_limit = 1 << 20;
  Written w;
  std::size_t parts = 0;
  {
    auto writer = AviWriter::CreateType2(path, {DvSystem::k625_50, false}, {AviAudioFormat{}}, options);
    w = WriteType2(writer, PalClip(), 50, 1);
    writer.Close();
    parts = writer.RiffParts();
  }
  const auto file = ReadWholeFile(path);
  const auto forms = test::TopLevelForms(file);
  ASSERT_GE(forms.size(), 5u);
  EXPECT_EQ(forms.size(), parts);
  EXPECT_EQ(forms[0], "RIFF AVI ");
  for (std::size_t i = 1; i < forms.size(); ++i) EXPECT_EQ(forms[i], "RIFF AVIX");

  // Through the indexes, frame k's bytes are the k-th frame handed over,
  // in the first part and in the last.
  const auto video = test::OpenDmlIndex(file, 0);
  ASSERT_EQ(video.size(), 50u);
  BinaryFile reader(path, BinaryFile::Mode::kRead);
  for (std::size_t k : {0u, 7u, 49u}) {
    std::vector<std::uint8_t> bytes(video[k].size);
    ASSERT_TRUE(reader.ReadExactAt(video[k].offset, bytes));
    const auto expected = PalClip().Frame(k);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), expected.begin(), expected.end())) << "frame " << k;
  }
  EXPECT_EQ(test::OpenDmlIndex(file, 1).size(), 50u);

  EXPECT_EQ(VideoFramesRead(path), 50);
  EXPECT_EQ(ExtractStream(path, "v:0", "rawvideo"), w.video);
  EXPECT_EQ(ExtractStream(path, "a:0", "s16le"), w.audio[0]);
  ExpectFfmpegDecodesCleanly(path);
}

TEST_F(AviWriterTest, FirstPartKeepsLegacyIndexAndFrameCount) {
  const auto path = dir_ / "legacy.avi";
  AviWriterOptions options;
  options.riff_part_limit = 1 << 20;
  {
    auto writer = AviWriter::CreateType1(path, {DvSystem::k625_50, false}, options);
    WriteType1(writer, PalClip(), 20);
    writer.Close();
  }
  const auto file = ReadWholeFile(path);
  // Only the first RIFF part's frames go in the main header and idx1.
  const std::uint32_t first_part_frames = LoadLE32(file.data() + 12 + 12 + 8 + 16);
  EXPECT_GT(first_part_frames, 0u);
  EXPECT_LT(first_part_frames, 20u);
  const auto found = std::search(file.begin(), file.end(), std::begin("idx1"), std::begin("idx1") + 4);
  ASSERT_NE(found, file.end());
  const std::size_t idx1 = static_cast<std::size_t>(found - file.begin());
  EXPECT_EQ(LoadLE32(file.data() + idx1 + 4), first_part_frames * 16);
  // An idx1 offset counts from the "movi" code; the frame found there is frame 3.
  const auto movi = std::search(file.begin(), file.end(), std::begin("movi"), std::begin("movi") + 4);
  const std::size_t chunk = static_cast<std::size_t>(movi - file.begin()) + LoadLE32(file.data() + idx1 + 8 + 3 * 16 + 8);
  EXPECT_EQ(FourCCText(LoadLE32(file.data() + chunk)), "00__");
  EXPECT_TRUE(std::equal(PalClip().Frame(3).begin(), PalClip().Frame(3).end(), file.begin() + static_cast<std::ptrdiff_t>(chunk + 8)));
  // The OpenDML header holds them all.
  const auto dmlh = std::search(file.begin(), file.end(), std::begin("dmlh"), std::begin("dmlh") + 4);
  ASSERT_NE(dmlh, file.end());
  EXPECT_EQ(LoadLE32(&*dmlh + 8), 20u);
  EXPECT_EQ(VideoFramesRead(path), 20);
}

TEST_F(AviWriterTest, WithoutCloseTheNameKeepsWhatItHeld) {
  const auto dropped = dir_ / "dropped.avi";
  const auto earlier = dir_ / "earlier.avi";
  const std::vector<std::uint8_t> earlier_bytes(5000, 0x5A);
  test::WriteWholeFile(earlier, earlier_bytes);
  AviWriterOptions options;
  options.riff_part_limit = 1 << 20;
  {
    auto writer = AviWriter::CreateType2(dropped, {DvSystem::k625_50, false}, {AviAudioFormat{}}, options);
    WriteType2(writer, PalClip(), 17, 1);
  }
  // A job that fails midway over an earlier output of the same name.
  const auto job = [&] {
    auto writer = AviWriter::CreateType1(earlier, {DvSystem::k625_50, false}, options);
    for (std::size_t n = 0;; ++n) {
      if (n == 11) throw std::runtime_error("job failed");
      writer.WriteVideoFrame(PalClip().Frame(n));
    }
  };
  EXPECT_THROW(job(), std::runtime_error);
  EXPECT_FALSE(std::filesystem::exists(dropped));
  EXPECT_EQ(ReadWholeFile(earlier), earlier_bytes);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 1) << "no temporary left";
}

// An output name that leads to the source, by a symbolic or a hard link,
// is refused before anything is written and again when the file is put in
// place; the source is never touched.
TEST_F(AviWriterTest, AnOutputThatIsItsSourceIsRefused) {
  const auto source = dir_ / "clip.avi";
  {
    auto writer = AviWriter::CreateType1(source, {DvSystem::k625_50, false});
    WriteType1(writer, PalClip(), 3);
    writer.Close();
  }
  const auto source_bytes = ReadWholeFile(source);
  std::filesystem::create_symlink(source, dir_ / "soft_type2.avi");
  std::filesystem::create_hard_link(source, dir_ / "hard_type2.avi");
  for (const char* name : {"soft_type2.avi", "hard_type2.avi", "clip.avi"})
    EXPECT_THROW(AviWriter::CreateType1(dir_ / name, {DvSystem::k625_50, false}, {.source = source}), FileError)
        << name;

  auto late = AviWriter::CreateType1(dir_ / "late_type2.avi", {DvSystem::k625_50, false}, {.source = source});
  WriteType1(late, PalClip(), 2);
  std::filesystem::create_symlink(source, dir_ / "late_type2.avi");
  EXPECT_THROW(late.Close(), FileError);
  EXPECT_EQ(ReadWholeFile(source), source_bytes);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 4) << "no temporary left";
}

// Limits the size of files this process writes, as a full disk would.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, old_handler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit old_{};
  void (*old_handler_)(int) = nullptr;
};

TEST_F(AviWriterTest, FailedWriteRaisesAndLeavesTheFramesBeforeIt) {
  const auto path = dir_ / "full.avi";
  AviWriterOptions options;
  options.riff_part_limit = 1 << 20;
  auto writer = AviWriter::CreateType2(path, {DvSystem::k625_50, false}, {AviAudioFormat{}}, options);
  std::size_t written = 0;
  PalClip();  // made before the limit: ffmpeg, run under it, would fail instead of us
  {
    FileSizeLimit limit(3 << 20);  // past the first part's end, within the second
    EXPECT_THROW(
        {
          for (std::size_t n = 0; n < 100; ++n) {
            writer.WriteVideoFrame(PalClip().Frame(n));
            writer.WriteAudio(0, Tone(1920, 1920 * n, 0));
            written = n + 1;
          }
        },
        FileError);
  }
  EXPECT_GT(written, 5u);
  EXPECT_LT(written, 30u);
  // The frame whose write failed, or whose sound failed, is not counted twice.
  EXPECT_GE(writer.FramesWritten(), written);
  EXPECT_LE(writer.FramesWritten(), written + 1);
  writer.Close();
  EXPECT_EQ(VideoFramesRead(path), static_cast<long long>(writer.FramesWritten()));
  ExpectFfmpegDecodesCleanly(path);
}

TEST_F(AviWriterTest, RefusesFramesItCannotHold) {
  const auto path = dir_ / "bad.avi";
  {
    auto writer = AviWriter::CreateType2(path, {DvSystem::k625_50, false}, {AviAudioFormat{}});
    writer.WriteVideoFrame(PalClip().Frame(0));
    EXPECT_THROW(writer.WriteVideoFrame(NtscClip().Frame(0)), std::invalid_argument);
    EXPECT_THROW(writer.WriteVideoFrame(PalClip().Frame(0).first(1000)), std::invalid_argument);
    std::vector<std::uint8_t> not_dv(FrameBytes(DvSystem::k625_50), 0xAA);
    EXPECT_THROW(writer.WriteVideoFrame(not_dv), std::invalid_argument);
    EXPECT_THROW(writer.WriteAudio(0, std::vector<std::uint8_t>(7)), std::invalid_argument);
    EXPECT_THROW(writer.WriteAudio(1, std::vector<std::uint8_t>(8)), std::invalid_argument);
    writer.WriteVideoFrame(PalClip().Frame(1));
    writer.Close();
  }
  EXPECT_EQ(VideoFramesRead(path), 2);
  EXPECT_THROW(AviWriter::CreateType1(dir_ / "missing" / "x.avi", {}), FileError);
  AviWriterOptions zero;
  zero.riff_part_limit = 0;
  EXPECT_THROW(AviWriter::CreateType1(dir_ / "zero.avi", {}, zero), std::invalid_argument);
}

TEST_F(AviWriterTest, GeneralStreamsMakeSoundOnlyAndRawVideoFiles) {
  const auto sound = dir_ / "sound.avi";
  const auto raw = dir_ / "raw.avi";
  std::vector<std::uint8_t> pcm;
  std::vector<std::uint8_t> pictures;
  {
    auto writer = AviWriter::Create(sound, {PcmAudioStream({})});
    for (std::size_t n = 0; n < 10; ++n) {
      const auto part = Tone(4800, 4800 * n, 0);
      writer.WriteAudio(0, part);
      pcm.insert(pcm.end(), part.begin(), part.end());
    }
    constexpr std::uint16_t kW = 64, kH = 48;
    auto video = AviWriter::Create(raw, {VideoStream(0, kW, kH, 24, {25, 1}, kW * kH * 3)});
    for (std::size_t n = 0; n < 8; ++n) {
      std::vector<std::uint8_t> picture(kW * kH * 3, static_cast<std::uint8_t>(n * 30));
      video.WriteVideoFrame(picture);
      pictures.insert(pictures.end(), picture.begin(), picture.end());
    }
    writer.Close();
    video.Close();
  }
  const auto probed_sound = ProbeFile(sound);
  ASSERT_TRUE(probed_sound);
  ASSERT_EQ(probed_sound->streams.size(), 1u);
  EXPECT_EQ(probed_sound->streams[0].codec_type, "audio");
  EXPECT_EQ(ExtractStream(sound, "a:0", "s16le"), pcm);

  const auto probed_raw = ProbeFile(raw);
  ASSERT_TRUE(probed_raw);
  EXPECT_EQ(probed_raw->streams[0].codec_name, "rawvideo");
  EXPECT_EQ(probed_raw->streams[0].read_frames, 8);
  EXPECT_EQ(ExtractStream(raw, "v:0", "rawvideo"), pictures);
}

TEST_F(AviWriterTest, Type1FormatBlockCarriesTheCamcorderPacks) {
  KORVID_REQUIRE_REAL_FIXTURES();
  const auto frame = ReadWholeFile(test::RealFixturesDir() / "sony_perfect.dv");
  ASSERT_EQ(frame.size(), FrameBytes(DvSystem::k525_60));
  const auto path = dir_ / "sony.avi";
  {
    auto writer = AviWriter::CreateType1(path, {DvSystem::k525_60, false});
    for (int n = 0; n < 3; ++n) writer.WriteVideoFrame(frame);
    writer.Close();
  }
  EXPECT_EQ(VideoFramesRead(path), 3);
  // VAUX block 2 of the first sequence holds the source pack at 448 and the
  // source control pack at 453; DVINFO keeps their data bytes.
  ASSERT_EQ(frame[448], 0x60);
  ASSERT_EQ(frame[453], 0x61);
  const auto dvinfo = StreamFormat(ReadWholeFile(path), 0);
  ASSERT_EQ(dvinfo.size(), 32u);
  EXPECT_TRUE(std::equal(dvinfo.begin() + 16, dvinfo.begin() + 20, frame.begin() + 449));
  EXPECT_TRUE(std::equal(dvinfo.begin() + 20, dvinfo.begin() + 24, frame.begin() + 454));

  // Without any source pack the format block still says 60 Hz, as the
  // frame's header block does, and the file reads back as NTSC.
  auto sourceless = frame;
  for (std::size_t s = 0; s < SequencesPerFrame(DvSystem::k525_60); ++s)
    for (std::size_t b = 3; b < 6; ++b)
      for (std::size_t at = DifBlockOffset(s, b) + 3; at + 5 <= DifBlockOffset(s, b) + 80; at += 5)
        if (sourceless[at] == 0x60) sourceless[at] = 0xFF;
  const auto bare = dir_ / "bare.avi";
  {
    auto writer = AviWriter::CreateType1(bare, {DvSystem::k525_60, false});
    writer.WriteVideoFrame(sourceless);
    writer.Close();
  }
  const auto bareInfo = StreamFormat(ReadWholeFile(bare), 0);
  ASSERT_EQ(bareInfo.size(), 32u);
  EXPECT_EQ(bareInfo[18] & 0x20, 0) << "50/60 bit of the VAUX source word";
  EXPECT_EQ(AnalyseFile(bare, {}).tvSystem, TvSystem::kNtsc);
}

}  // namespace
}  // namespace korvid::media
