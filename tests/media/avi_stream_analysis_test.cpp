// Records of real files: the project's sample clips, files written by
// ffmpeg and dvgrab around real camcorder frames, and files that are not
// AVI or not there. Datecodes, timecodes, sizes and rates are checked
// against mediainfo where it reads them.

#include "media/avi_stream_analysis.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "media/binary_file.h"
#include "media/datecode_shift.h"
#include "media/dv_pack_layout.h"
#include "media/le_bytes.h"
#include "media/dv_audio_encoder.h"
#include "media/dv_audio_sample_count.h"
#include "media/first_frame.h"
#include "support/avi_probe.h"
#include "support/dv_pack_frames.h"
#include "support/dvgrab.h"
#include "support/sample_set.h"
#include "support/test_env.h"

namespace korvid::media {
namespace {

namespace fs = std::filesystem;
using test::RunCommand;

DatecodeFormat IsoFormat() { return {"yyyy-mm-dd hh:nn:ss", settings::EnglishLocaleFormats()}; }

TAfficherFichier Analyse(const fs::path& path) { return AnalyseFile(path, IsoFormat()); }

// The timecode text in mediainfo's spelling.
std::string AsMediaInfoTimecode(std::string timecodeText) {
  for (char& c : timecodeText)
    if (c == '.') c = ':';
  return timecodeText;
}

void ExpectMediaInfoAgrees(const fs::path& file, const TAfficherFichier& r) {
  const std::string date = test::MediaInfoField(file, "Recorded_Date");
  if (r.datecode) {
    EXPECT_EQ(date.substr(0, 19), r.datecodeText) << file;  // same ISO form
  } else {
    EXPECT_EQ(date, "") << file;
  }
  const std::string tc = test::MediaInfoField(file, "TimeCode_FirstFrame");
  if (r.timecodeText != "N/A") {
    // mediainfo writes ";" before the frames of a drop-frame timecode.
    std::string expected = AsMediaInfoTimecode(r.timecodeText);
    EXPECT_EQ(tc.substr(0, 8), expected.substr(0, 8)) << file;
    EXPECT_EQ(tc.substr(9, 2), expected.substr(9, 2)) << file;
  }
  EXPECT_EQ(test::MediaInfoField(file, "Width"), std::to_string(r.width)) << file;
  const std::string rate = test::MediaInfoField(file, "FrameRate");
  EXPECT_NEAR(std::stod(rate), r.fps, 0.006) << file;
}

// The sample clips: every kind of DV file the project writes, one MJPEG
// file and one sound-only file.
TEST(AnalyseFileTest, SampleClipsGiveTheirRecords) {
  const TAfficherFichier pal1 = Analyse(test::StandardSample("pal_type1.avi"));
  EXPECT_TRUE(pal1.exists);
  EXPECT_EQ(pal1.codec, "dvsd");
  EXPECT_TRUE(pal1.isDV);
  EXPECT_EQ(pal1.dvType, 1);
  EXPECT_EQ(pal1.imageText, "720 x 576 (Pal 4x3)");
  EXPECT_EQ(pal1.width, 720);
  EXPECT_EQ(pal1.height, 540);
  EXPECT_DOUBLE_EQ(pal1.fps, 25);
  EXPECT_EQ(pal1.tvSystem, TvSystem::kPal);
  EXPECT_EQ(pal1.datecodeText, "2005-08-14 15:02:11");
  EXPECT_EQ(pal1.datecodeKey, "20050814150211");
  EXPECT_EQ(pal1.timecodeText, "01.02.03.04");
  EXPECT_EQ(pal1.durationText, "2s 00fr");
  EXPECT_EQ(pal1.audioText, "48000Hz 16 bits  stereo");
  EXPECT_EQ(pal1.audioFormatText, "PCM 192000 bytes/s");
  EXPECT_EQ(pal1.audioDurationText, "2s 00fr");
  EXPECT_NE(pal1.dvVideoSource & 0x200000u, 0u);
  EXPECT_FALSE(pal1.hasSceneFile);

  const TAfficherFichier pal2 = Analyse(test::StandardSample("pal_type2.avi"));
  EXPECT_EQ(pal2.dvType, 2);
  EXPECT_EQ(pal2.imageText, "720 x 576 (Pal 4x3)");
  EXPECT_EQ(pal2.datecodeText, pal1.datecodeText);
  EXPECT_EQ(pal2.timecodeText, pal1.timecodeText);
  EXPECT_EQ(pal2.durationText, "2s 00fr");
  EXPECT_EQ(pal2.audioText, "48000Hz 16 bits  stereo");
  EXPECT_EQ(pal2.audioDurationText, "2s 00fr");
  EXPECT_EQ(pal2.dvVideoSource, 0u);

  const TAfficherFichier ntsc = Analyse(test::StandardSample("ntsc_type2.avi"));
  EXPECT_EQ(ntsc.imageText, "720 x 480 (NTSC 4x3)");
  EXPECT_EQ(ntsc.tvSystem, TvSystem::kNtsc);
  EXPECT_DOUBLE_EQ(ntsc.fps, 29.97);
  EXPECT_EQ(ntsc.datecodeText, "2003-12-31 23:59:58");
  EXPECT_EQ(ntsc.datecodeKey.substr(0, 4), "2003");
  EXPECT_EQ(ntsc.timecodeText, "00.10.00.00");
  EXPECT_EQ(ntsc.durationText, "2s 00fr");  // 60 frames at 30000/1001

  const TAfficherFichier wide = Analyse(test::StandardSample("pal_wide.avi"));
  EXPECT_EQ(wide.imageText, "720 x 576 (Pal 16x9)");
  EXPECT_EQ(wide.height, 405);
  EXPECT_TRUE(wide.wideScreen);

  const TAfficherFichier none = Analyse(test::StandardSample("no_datecode.avi"));
  EXPECT_EQ(none.datecodeText, "N/A");
  EXPECT_EQ(none.timecodeText, "N/A");
  EXPECT_EQ(none.datecodeKey, "\xFA");
  EXPECT_FALSE(none.datecode.has_value());

  const TAfficherFichier sound12 = Analyse(test::StandardSample("pal_32k_12bit.avi"));
  EXPECT_EQ(sound12.dvType, 1);
  EXPECT_EQ(sound12.audioText, "32000Hz 12(16) bits  stereo");
  EXPECT_EQ(sound12.audioFormatText, "PCM 128000 bytes/s");
  EXPECT_EQ(sound12.datecodeText, "1999-07-04 09:30:00");

  const TAfficherFichier mjpeg = Analyse(test::StandardSample("mjpeg_not_dv.avi"));
  EXPECT_EQ(mjpeg.codec, "MJPG");
  EXPECT_FALSE(mjpeg.isDV);
  EXPECT_EQ(mjpeg.dvType, 0);
  EXPECT_EQ(mjpeg.imageText, "320 x 240");
  EXPECT_DOUBLE_EQ(mjpeg.fps, 25);
  EXPECT_EQ(mjpeg.durationText, "1s 00fr");
  EXPECT_EQ(mjpeg.datecodeText, "N/A");
  EXPECT_EQ(mjpeg.datecodeKey, "\xFA");
  EXPECT_GT(mjpeg.videoBitRate, 0u);

  const TAfficherFichier sound = Analyse(test::StandardSample("audio_only.avi"));
  EXPECT_EQ(sound.codec, "");
  EXPECT_EQ(sound.imageText, "N/A");
  EXPECT_EQ(sound.fps, 0);
  EXPECT_EQ(sound.durationText, "");
  EXPECT_EQ(sound.audioDurationText, "1s 000ms");
  EXPECT_EQ(sound.audioText, "48000Hz 16 bits  stereo");
  EXPECT_EQ(sound.datecodeText, "N/A");
}

TEST(AnalyseFileTest, SampleClipsAgreeWithMediaInfo) {
  KORVID_REQUIRE_PROGRAM("mediainfo");
  for (const char* name : {"pal_type1.avi", "pal_type2.avi", "ntsc_type2.avi", "pal_wide.avi",
                           "pal_32k_12bit.avi"}) {
    const fs::path file = test::StandardSample(name);
    ExpectMediaInfoAgrees(file, Analyse(file));
  }
}

// dvgrab writes what many capture programs write; type 1 and type 2
// around the real camcorder frames.
fs::path Dvgrab(const test::TempDir& dir, const fs::path& dv, const std::string& format) {
  const std::string prefix = (dir / (format + "-")).string();
  const fs::path written = test::RunDvgrab(dv, format, false, prefix);
  EXPECT_FALSE(written.empty()) << "dvgrab wrote nothing for " << format;
  return written.empty() ? fs::path(prefix + "001.avi") : written;
}

TEST(AnalyseFileTest, DvgrabFilesOfRealCamcorderFrames) {
  KORVID_REQUIRE_REAL_FIXTURES();
  KORVID_REQUIRE_PROGRAM("dvgrab");
  KORVID_REQUIRE_PROGRAM("mediainfo");
  test::TempDir dir;
  std::vector<std::uint8_t> dv = test::ReadWholeFile(test::RealFixturesDir() / "sony_perfect.dv");
  const std::vector<std::uint8_t> second = test::ReadWholeFile(test::RealFixturesDir() / "sony_subcode_errors.dv");
  dv.insert(dv.end(), second.begin(), second.end());
  test::WriteWholeFile(dir / "in.dv", dv);

  const fs::path type1 = Dvgrab(dir, dir / "in.dv", "dv1");
  const fs::path type2 = Dvgrab(dir, dir / "in.dv", "dv2");
  for (const fs::path& file : {type1, type2}) {
    const TAfficherFichier r = Analyse(file);
    SCOPED_TRACE(file.string());
    EXPECT_EQ(r.dvType, file == type1 ? 1 : 2);
    EXPECT_EQ(r.imageText, "720 x 480 (NTSC 4x3)");
    EXPECT_EQ(r.tvSystem, TvSystem::kNtsc);
    EXPECT_DOUBLE_EQ(r.fps, 29.97);
    EXPECT_EQ(r.datecodeText, "2024-07-08 19:55:58");
    EXPECT_EQ(r.timecodeText, "00.00.02.20");
    EXPECT_EQ(r.durationText, "2fr");
    ExpectMediaInfoAgrees(file, r);
  }
}

// ffmpeg's DV muxer, then its AVI muxer around the same frames.
fs::path FfmpegDvAvi(const test::TempDir& dir, const std::string& name, DvSystem system,
                     const std::vector<std::string>& extra) {
  const std::vector<std::uint8_t> dv = test::MakeFfmpegDv(dir / (name + ".dv"), system, 10, extra);
  EXPECT_FALSE(dv.empty());
  const fs::path avi = dir / (name + ".avi");
  EXPECT_EQ(RunCommand({"ffmpeg", "-v", "error", "-y", "-i", (dir / (name + ".dv")).string(), "-c",
                        "copy", avi.string()})
                .exit_code,
            0);
  return avi;
}

TEST(AnalyseFileTest, FfmpegDvFilesPalNtscAndWide) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  KORVID_REQUIRE_PROGRAM("mediainfo");
  test::TempDir dir;
  const fs::path pal = FfmpegDvAvi(dir, "pal", DvSystem::k625_50,
                                   {"-timecode", "10:20:30:12", "-metadata", "creation_time=2003-05-06T07:08:09"});
  TAfficherFichier r = Analyse(pal);
  EXPECT_EQ(r.dvType, 2);
  EXPECT_EQ(r.imageText, "720 x 576 (Pal 4x3)");
  EXPECT_EQ(r.timecodeText, "10.20.30.12");
  EXPECT_EQ(r.datecodeText, "2003-05-06 07:08:09");
  EXPECT_EQ(r.durationText, "10fr");
  ExpectMediaInfoAgrees(pal, r);

  const fs::path ntsc_wide = FfmpegDvAvi(dir, "ntsc", DvSystem::k525_60, {"-aspect", "16:9"});
  r = Analyse(ntsc_wide);
  EXPECT_EQ(r.imageText, "720 x 480 (NTSC 16x9)");
  EXPECT_EQ(r.height, 405);
  EXPECT_DOUBLE_EQ(r.fps, 29.97);
  ExpectMediaInfoAgrees(ntsc_wide, r);
}

TEST(AnalyseFileTest, FfmpegNonDvAndSoundOnlyFiles) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  test::TempDir dir;
  const fs::path mpeg4 = dir / "mpeg4.avi";
  ASSERT_EQ(RunCommand({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "testsrc=size=352x288:rate=30000/1001",
                        "-f", "lavfi", "-i", "sine=sample_rate=32000", "-t", "2", "-c:v", "mpeg4", "-c:a",
                        "pcm_s16le", "-ac", "2", mpeg4.string()})
                .exit_code,
            0);
  TAfficherFichier r = Analyse(mpeg4);
  EXPECT_EQ(r.codec, "FMP4");
  EXPECT_FALSE(r.isDV);
  EXPECT_EQ(r.imageText, "352 x 288");
  EXPECT_DOUBLE_EQ(r.fps, 29.97);
  EXPECT_EQ(r.audioText, "32000Hz 16 bits  stereo");  // not DV: no 12(16)
  EXPECT_EQ(r.audioFormatText, "PCM 128000 bytes/s");
  EXPECT_EQ(r.datecodeText, "N/A");

  const fs::path sine = dir / "a.avi";
  ASSERT_EQ(RunCommand({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "sine=sample_rate=44100", "-t", "1.5",
                        "-c:a", "pcm_s16le", sine.string()})
                .exit_code,
            0);
  r = Analyse(sine);
  EXPECT_EQ(r.codec, "");
  EXPECT_EQ(r.imageText, "N/A");
  EXPECT_EQ(r.fps, 0);
  EXPECT_EQ(r.audioText, "44100Hz 16 bits  mono");
  EXPECT_EQ(r.audioDurationText, "1s 500ms");
}

TEST(AnalyseFileTest, NotAviAndMissingFiles) {
  test::TempDir dir;
  test::WriteWholeFile(dir / "junk.avi", std::vector<std::uint8_t>(5000, 0x5A));
  TAfficherFichier r = Analyse(dir / "junk.avi");
  EXPECT_TRUE(r.exists);
  EXPECT_EQ(r.datecodeText, "Error");
  EXPECT_EQ(r.timecodeText, "Error");
  EXPECT_EQ(r.datecodeKey, "\xFF");
  EXPECT_EQ(r.imageText, "N/A");
  EXPECT_EQ(r.codec, "");

  r = Analyse(dir / "missing.avi");
  EXPECT_FALSE(r.exists);
  EXPECT_EQ(r.name, "missing.avi");
  EXPECT_EQ(r.datecodeText, "Error");
  EXPECT_EQ(r.datecodeKey, "\xFF");

  test::WriteWholeFile(dir / "empty.avi", {});
  EXPECT_EQ(Analyse(dir / "empty.avi").datecodeText, "Error");
}

TEST(AnalyseFileTest, TruncatedFileStillGivesItsFirstFrame) {
  test::TempDir dir;
  const fs::path file = test::CopyStandardSample("pal_type2.avi", dir.path());
  std::vector<std::uint8_t> bytes = test::ReadWholeFile(file);
  bytes.resize(bytes.size() / 3);
  test::WriteWholeFile(file, bytes);
  const TAfficherFichier r = Analyse(file);
  EXPECT_EQ(r.datecodeText, "2005-08-14 15:02:11");
  EXPECT_EQ(r.imageText, "720 x 576 (Pal 4x3)");
}

// Position of the data of the first chunk `code` whose data begins with `first`.
std::size_t FindChunkData(const std::vector<std::uint8_t>& bytes, std::uint32_t code, std::uint32_t first) {
  for (std::size_t i = 0; i + 12 <= bytes.size(); ++i)
    if (LoadLE32(&bytes[i]) == code && LoadLE32(&bytes[i + 8]) == first) return i + 8;
  ADD_FAILURE() << "chunk not found";
  return 0;
}

// Lengths and format words some writers leave blank: the frame count comes
// from the index, the TV system from the frame's own source pack.
TEST(AnalyseFileTest, BlankHeaderLengthAndDvFormatWords) {
  test::TempDir dir;
  const fs::path file = test::CopyStandardSample("pal_type1.avi", dir.path());
  std::vector<std::uint8_t> bytes = test::ReadWholeFile(file);
  const std::size_t strh = FindChunkData(bytes, FourCC("strh"), FourCC("iavs"));
  StoreLE32(&bytes[strh + 32], 0);  // dwLength
  const std::size_t strf = strh + 56 + 8;
  ASSERT_EQ(LoadLE32(&bytes[strf - 8]), FourCC("strf"));
  std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(strf),
            bytes.begin() + static_cast<std::ptrdiff_t>(strf + 32), std::uint8_t{0});
  test::WriteWholeFile(file, bytes);

  const TAfficherFichier r = Analyse(file);
  EXPECT_EQ(r.durationText, "2s 00fr");
  EXPECT_EQ(r.audioDurationText, "2s 00fr");
  EXPECT_EQ(r.dvType, 1);
  EXPECT_EQ(r.tvSystem, TvSystem::kPal);
  EXPECT_NE(r.dvVideoSource & 0x200000u, 0u);
  EXPECT_EQ(r.datecodeText, "2005-08-14 15:02:11");
}

// Damaged headers never crash the analysis: every outcome is a record.
TEST(AnalyseFileTest, DamagedHeadersGiveARecord) {
  test::TempDir dir;
  std::vector<std::uint8_t> original = test::ReadWholeFile(test::StandardSample("pal_type1.avi"));
  original.resize(std::min<std::size_t>(original.size(), 3 * 144000));
  const fs::path file = dir / "damaged.avi";
  for (std::size_t at = 4; at < 2048; at += 29) {
    for (const std::uint8_t value : {std::uint8_t{0x00}, std::uint8_t{0xFF}}) {
      std::vector<std::uint8_t> bytes = original;
      bytes[at] = value;
      test::WriteWholeFile(file, bytes);
      const TAfficherFichier r = Analyse(file);
      EXPECT_TRUE(r.exists);
      EXPECT_FALSE(r.datecodeText.empty()) << at;
      EXPECT_FALSE(r.datecodeNameKey.empty()) << at;
    }
  }
}

// The file is only read: a read-only copy analyses the same and stays as it
// was, and a DV stream with an unusual handler code is still read as DV.
TEST(AnalyseFileTest, ReadOnlyFileIsAnalysedAndLeftUntouched) {
  test::TempDir dir;
  const fs::path file = test::CopyStandardSample("pal_type2.avi", dir.path());
  {
    // Rewrite the video handler code "dvsd" to the other DV spelling "CDVC".
    std::vector<std::uint8_t> bytes = test::ReadWholeFile(file);
    bool patched = false;
    for (std::size_t i = 0; i + 8 <= bytes.size() && !patched; ++i) {
      if (LoadLE32(&bytes[i]) == FourCC("vids") && LoadLE32(&bytes[i + 4]) == FourCC("dvsd")) {
        StoreLE32(&bytes[i + 4], FourCC("CDVC"));
        patched = true;
      }
    }
    ASSERT_TRUE(patched);
    test::WriteWholeFile(file, bytes);
  }
  ASSERT_EQ(chmod(file.c_str(), 0444), 0);
  const std::vector<std::uint8_t> before = test::ReadWholeFile(file);
  const TAfficherFichier r = Analyse(file);
  EXPECT_TRUE(r.IsReadOnly());
  EXPECT_EQ(r.codec, "CDVC");
  EXPECT_TRUE(r.isDV);
  EXPECT_EQ(r.datecodeText, "2005-08-14 15:02:11");
  EXPECT_EQ(test::ReadWholeFile(file), before);
}

TEST(AnalyseFileTest, SceneFileBesideTheVideo) {
  test::TempDir dir;
  const fs::path file = test::CopyStandardSample("pal_type1.avi", dir.path());
  EXPECT_FALSE(Analyse(file).hasSceneFile);
  test::WriteWholeFile(dir / "pal_type1.scn", {'x'});
  EXPECT_TRUE(Analyse(file).hasSceneFile);
}

}  // namespace
}  // namespace korvid::media

namespace korvid::media {
namespace {

// Raw DV from ffmpeg, changed frame by frame, then wrapped by ffmpeg's AVI
// muxer.
template <typename Change>
fs::path ChangedFfmpegAvi(const test::TempDir& dir, const std::string& name, const std::vector<std::string>& extra,
                          Change&& change) {
  std::vector<std::uint8_t> dv = test::MakeFfmpegDv(dir / (name + ".dv"), DvSystem::k625_50, 10, extra);
  const std::size_t bytes = FrameBytes(DvSystem::k625_50);
  EXPECT_EQ(dv.size(), 10 * bytes);
  for (std::size_t k = 0; k * bytes < dv.size(); ++k) change(k, std::span<std::uint8_t>(dv).subspan(k * bytes, bytes));
  test::WriteWholeFile(dir / (name + ".dv"), dv);
  const fs::path avi = dir / (name + ".avi");
  EXPECT_EQ(RunCommand({"ffmpeg", "-v", "error", "-y", "-i", (dir / (name + ".dv")).string(), "-c", "copy",
                        avi.string()})
                .exit_code,
            0);
  return avi;
}

// A file whose first frame lost its date is listed with the next frame's,
// the date mediainfo reports for the recording.
TEST(AnalyseFileTest, AnUndatedFirstFrameGivesTheFirstDatecodeFound) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  KORVID_REQUIRE_PROGRAM("mediainfo");
  test::TempDir dir;
  const fs::path avi = ChangedFfmpegAvi(dir, "late", {"-metadata", "creation_time=2003-05-06T07:08:09"},
                                        [](std::size_t k, std::span<std::uint8_t> frame) {
                                          if (k == 0) test::BlankDatePacks(frame);
                                        });
  const TAfficherFichier r = Analyse(avi);
  EXPECT_EQ(r.datecodeText, "2003-05-06 07:08:09");
  ASSERT_TRUE(r.datecode);
  const auto packs = ReadFirstFramePacks(avi);
  ASSERT_TRUE(packs);
  EXPECT_EQ(packs->datecode, (TDatecode{2003, 5, 6, 7, 8, 9}));
}

// A date that survives only in the last sequence of one frame of the look
// still dates the file; without it the same file has none.
TEST(AnalyseFileTest, ADateLeftInOneLaterSequenceDatesTheFile) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  test::TempDir dir;
  for (const bool keepOne : {true, false}) {
    // ffmpeg writes the date in the subcode too.
    const auto blank = [keepOne](std::size_t k, std::span<std::uint8_t> frame) {
      const std::size_t sequences = keepOne && k == 3 ? 11 : 12;
      test::BlankDatePacks(frame.first(sequences * kDifSequenceBytes));
      for (std::size_t s = 0; s < sequences; ++s)
        for (std::size_t i = 0; i < kSubcodeSlotsPerSequence; ++i) {
          std::uint8_t* pack = frame.data() + SubcodeSlotOffset(s, i);
          if (pack[0] == kRecordingDatePack || pack[0] == kRecordingTimePack) std::fill(pack, pack + 5, 0xFF);
        }
    };
    const fs::path avi = ChangedFfmpegAvi(dir, keepOne ? "kept" : "none",
                                          {"-metadata", "creation_time=2003-05-06T07:08:09"}, blank);
    const TAfficherFichier r = Analyse(avi);
    const auto packs = ReadFirstFramePacks(avi);
    ASSERT_TRUE(packs);
    if (keepOne) {
      EXPECT_EQ(r.datecodeText, "2003-05-06 07:08:09");
      EXPECT_EQ(packs->datecode, (TDatecode{2003, 5, 6, 7, 8, 9}));
    } else {
      EXPECT_FALSE(r.datecode);
      EXPECT_FALSE(IsCalendarDatecode(packs->datecode));
    }
  }
}

// "12(16) bits" is said of 12-bit tape sound only, as the frames' AAUX
// source pack (and mediainfo reading it) has it.
TEST(AnalyseFileTest, ThirtyTwoKilohertzSoundShowsItsOwnQuantisation) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  KORVID_REQUIRE_PROGRAM("mediainfo");
  test::TempDir dir;
  for (const DvAudioMode mode : {DvAudioMode::k32k16Bit2Ch, DvAudioMode::k32k12Bit4Ch}) {
    const bool twelve = mode == DvAudioMode::k32k12Bit4Ch;
    const std::string name = twelve ? "twelve" : "sixteen";
    const fs::path avi = ChangedFfmpegAvi(dir, name, {}, [&](std::size_t k, std::span<std::uint8_t> frame) {
      std::vector<std::int16_t> pcm(2 * SamplesForFrame(DvSystem::k625_50, DvAudioRate::k32000, k), 1000);
      EncodeDvAudio(frame, mode, pcm, twelve ? std::span<const std::int16_t>(pcm) : std::span<const std::int16_t>());
    });
    const auto depth = RunCommand({"mediainfo", "--Inform=Audio;%BitDepth%\n", (dir / (name + ".dv")).string()});
    EXPECT_EQ(depth.output.substr(0, 2), twelve ? "12" : "16") << depth.output;
    EXPECT_EQ(Analyse(avi).audioText, twelve ? "32000Hz 12(16) bits  stereo" : "32000Hz 16 bits  stereo") << name;
  }
}

}  // namespace
}  // namespace korvid::media
