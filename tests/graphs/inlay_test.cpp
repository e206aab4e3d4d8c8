#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "commands/inlay_commands.h"
#include "graphs/calenox.h"
#include "graphs/dv_picture_decoder.h"
#include "graphs/horolan.h"
#include "graphs/inlay_job.h"
#include "graphs/layrin.h"
#include "graphs/scene_scan.h"
#include "media/avi_writer.h"
#include "media/dv_audio.h"
#include "media/dv_pack_scan.h"
#include "media/dv_pack_writer.h"
#include "media/dv_packs.h"
#include "support/avi_probe.h"
#include "support/dv_pack_frames.h"
#include "support/gui_app.h"
#include "support/sample_set.h"
#include "support/scripted_host.h"
#include "support/test_env.h"

namespace korvid::graphs {
namespace {

using test::TempDir;

std::vector<std::string> TextsOf(const std::filesystem::path& clip, Calenox& calenox) {
  const DvSource source(clip);
  std::vector<std::string> texts;
  std::vector<std::uint8_t> frame;
  for (std::size_t k = 0; k < source.FrameCount(); ++k) {
    EXPECT_TRUE(source.ReadFrame(k, frame));
    texts.push_back(calenox.Next(frame));
  }
  return texts;
}

TEST(Calenox, WritesEachFramesShiftedDatecodeInTheDisplayFormat) {
  Calenox calenox;
  calenox.SetFormat("yyyy-mm-dd hh:nn:ss");
  calenox.SetHourOffset(-2);
  const auto texts = TextsOf(test::StandardSample("ntsc_type2.avi"), calenox);  // from 2003-12-31 23:59:58
  EXPECT_EQ(texts.front(), "2003-12-31 21:59:58");
  EXPECT_EQ(texts.back(), "2003-12-31 21:59:59");
  Calenox plain;
  plain.SetFormat("hh:nn");
  const auto undated = TextsOf(test::StandardSample("undated_stretch.avi"), plain);
  EXPECT_EQ(undated[19], "15:02");
  EXPECT_EQ(undated[20], "");
  EXPECT_EQ(undated[44], "");
  EXPECT_EQ(undated[45], "15:02");
}

// A dropout over the first sequence's date packs (bytes 458-467) of frames
// 25-49: the inlay reads the other copies, as the frame log does, so every
// frame gets its text.
TEST(Calenox, ReadsTheDatecodeWhereTheFrameLogDoes) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  TempDir dir;
  std::vector<std::uint8_t> dv = test::MakeFfmpegDv(dir / "clip.dv", media::DvSystem::k625_50, 60,
                                                    {"-metadata", "creation_time=2004-05-06T07:08:09"});
  const std::size_t bytes = media::FrameBytes(media::DvSystem::k625_50);
  ASSERT_EQ(dv.size(), 60 * bytes);
  for (std::size_t k = 25; k < 50; ++k) std::fill_n(dv.begin() + static_cast<std::ptrdiff_t>(k * bytes + 458), 10, 0xFF);
  test::WriteWholeFile(dir / "clip.dv", dv);
  const auto clip = dir / "clip.avi";
  ASSERT_EQ(test::RunShell("ffmpeg -v error -y -i " + test::Quoted(dir / "clip.dv") + " -c copy " + test::Quoted(clip))
                .exit_code,
            0);

  Calenox calenox;
  calenox.SetFormat("yyyy-mm-dd hh:nn:ss");
  const auto texts = TextsOf(clip, calenox);
  ASSERT_EQ(texts.size(), 60u);
  SceneFrameReader reader(clip);
  for (std::size_t k = 0; k < texts.size(); ++k) {
    const std::span<const std::uint8_t> frame(dv.data() + k * bytes, bytes);
    EXPECT_EQ(media::HasDatecode(test::FixedDatecode(frame)), k < 25 || k >= 50) << k;
    ASSERT_TRUE(media::HasDatecode(reader.Read(k).datecode)) << k;
    EXPECT_EQ(texts[k].substr(0, 16), "2004-05-06 07:08") << k;
  }
}

TEST(Calenox, AutomaticInlayShowsTheTextOnlyAfterEachJump) {
  Calenox calenox;
  calenox.SetFormat("hh");
  calenox.SetInlayFrames(5);
  calenox.SetAutomatic(1);
  const auto texts = TextsOf(test::StandardSample("two_scenes.avi"), calenox);  // 3 hours on at frame 40
  for (std::size_t k = 0; k < texts.size(); ++k) {
    const bool shown = k < 5 || (k >= 40 && k < 45);
    EXPECT_EQ(!texts[k].empty(), shown) << "frame " << k;
  }
  EXPECT_EQ(texts[0], "15");
  EXPECT_EQ(texts[40], "18");
}

graphs::FramePtr GreyPicture(int width, int height, AVPixelFormat format) {
  graphs::FramePtr picture = graphs::AllocFrame();
  picture->width = width;
  picture->height = height;
  picture->format = format;
  EXPECT_EQ(av_frame_get_buffer(picture.get(), 0), 0);
  for (int plane = 0; plane < 3; ++plane) {
    const int lines = plane == 0 || format != AV_PIX_FMT_YUV420P ? height : height / 2;
    for (int y = 0; y < lines; ++y)
      std::memset(picture->data[plane] + y * picture->linesize[plane], plane == 0 ? 60 : 128,
                  static_cast<std::size_t>(picture->linesize[plane]));
  }
  return picture;
}

// Mean absolute luma difference inside and outside a box.
struct LumaChange {
  double inside = 0;
  double outside = 0;
};
LumaChange Compare(const AVFrame& a, const AVFrame& b, const TextBox& box) {
  double in_sum = 0, out_sum = 0;
  double in_n = 0, out_n = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) {
      const int d = std::abs(a.data[0][y * a.linesize[0] + x] - b.data[0][y * b.linesize[0] + x]);
      const bool in = x >= box.x && x < box.x + box.width && y >= box.y && y < box.y + box.height;
      (in ? in_sum : out_sum) += d;
      ++(in ? in_n : out_n);
    }
  return {in_n ? in_sum / in_n : 0, out_n ? out_sum / out_n : 0};
}

TEST(Layrin, DrawsTheTextInItsBoxOnlyInTheChosenColour) {
  test::EnsureGuiApplication();
  for (AVPixelFormat format : {AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUV411P}) {
    Layrin layrin;
    layrin.SetFontName("Arial");
    layrin.SetFontSize(21);
    layrin.SetFontColor(0x0000FF);  // red
    layrin.SetPosition(100, 800, 0);
    const int height = format == AV_PIX_FMT_YUV420P ? 576 : 480;
    const auto before = GreyPicture(720, height, format);
    auto after = GreyPicture(720, height, format);
    layrin.Draw(*after, "16/02/2010 21:36:28");
    const TextBox box = layrin.Place("16/02/2010 21:36:28", 720, height);
    ASSERT_FALSE(box.Empty());
    EXPECT_NEAR(box.x, 72, 4);
    EXPECT_NEAR(box.y, height * 8 / 10, 2);
    const LumaChange change = Compare(*before, *after, box);
    EXPECT_GT(change.inside, 2.0);
    EXPECT_EQ(change.outside, 0.0);
    // Red text raises V (Cr) where it is drawn.
    int max_v = 0;
    const int cy0 = format == AV_PIX_FMT_YUV420P ? box.y / 2 : box.y;
    for (int y = cy0; y < cy0 + 10; ++y)
      for (int x = 0; x < after->width / (format == AV_PIX_FMT_YUV420P ? 2 : 4); ++x)
        max_v = std::max<int>(max_v, after->data[2][y * after->linesize[2] + x]);
    EXPECT_GT(max_v, 180);
  }
}

TEST(Layrin, SizeFollowsThePictureOnlyWithAutoFontSizeAndTextStaysInside) {
  test::EnsureGuiApplication();
  Layrin layrin;
  layrin.SetAutoFontSize(1);
  layrin.SetFontSize(21);
  const TextBox small = layrin.Place("12:00:00", 360, 240);
  const TextBox large = layrin.Place("12:00:00", 720, 576);
  EXPECT_GT(large.height, small.height * 2 - 6);
  layrin.SetAutoFontSize(0);
  EXPECT_EQ(layrin.Place("12:00:00", 360, 240).height, layrin.Place("12:00:00", 720, 576).height);
  layrin.SetPosition(1000, 1000, 0);
  const TextBox corner = layrin.Place("12:00:00", 720, 576);
  EXPECT_LE(corner.x + corner.width, 720);
  EXPECT_LE(corner.y + corner.height, 576);
  EXPECT_TRUE(layrin.Place("", 720, 576).Empty());
  layrin.SetOverlayOn(0);
  EXPECT_TRUE(layrin.Place("12:00:00", 720, 576).Empty());
}

// The box keeps to the 702 (PAL) or 704 (NTSC) active samples of the line,
// and white text over white is still seen by its dark outline.
TEST(Layrin, TextKeepsToTheActivePictureAndReadsOverWhite) {
  test::EnsureGuiApplication();
  struct Case {
    AVPixelFormat format;
    int height;
    int first;
    int active;
  };
  for (const Case& c : {Case{AV_PIX_FMT_YUV420P, 576, 9, 702}, Case{AV_PIX_FMT_YUV411P, 480, 8, 704}}) {
    Layrin layrin;
    layrin.SetFontColor(0xFFFFFF);
    layrin.SetPosition(1000, 500, 0);
    const TextBox right = layrin.Place("16/02/2010 21:36:28", 720, c.height);
    EXPECT_LE(right.x + right.width, c.first + c.active) << c.height;
    EXPECT_GT(right.x + right.width, c.first + c.active - 8) << c.height;
    layrin.SetPosition(0, 500, 0);
    const TextBox left = layrin.Place("16/02/2010 21:36:28", 720, c.height);
    EXPECT_GE(left.x, c.first) << c.height;
    EXPECT_LT(left.x, c.first + 4) << c.height;

    auto white = GreyPicture(720, c.height, c.format);
    for (int y = 0; y < c.height; ++y) std::memset(white->data[0] + y * white->linesize[0], 235, 720);
    layrin.Draw(*white, "16/02/2010 21:36:28");
    int dark = 0;
    for (int y = left.y; y < left.y + left.height; ++y)
      for (int x = left.x; x < left.x + left.width; ++x) dark += white->data[0][y * white->linesize[0] + x] < 100;
    EXPECT_GT(dark, 100) << "outline pixels, " << c.height << " lines";
  }
}

TEST(Horolan, StampsByFrameOnlyOnceAsked) {
  Horolan horolan;
  EXPECT_EQ(horolan.Stamp(10, 123, 25, 1), 123);
  horolan.SetFrameStamping();
  EXPECT_EQ(horolan.Stamp(10, 123, 25, 1), 4'000'000);
}

// --- the inlay conversion ------------------------------------------------

media::TAfficherFichier EntryOf(const std::filesystem::path& path, int dv_type, media::TvSystem system, double fps) {
  media::TAfficherFichier entry;
  entry.fullName = path.string();
  entry.name = path.filename().string();
  entry.isDV = true;
  entry.dvType = dv_type;
  entry.codec = "dvsd";
  entry.tvSystem = system;
  entry.fps = fps;
  return entry;
}

settings::Preferences InlayPreferences(int hours) {
  settings::Preferences p;
  p.saveInSameFolder = true;
  p.displayDatecodeFormat = "dd/mm/yyyy hh:nn:ss";
  p.inlayDurationSeconds = 5;
  p.clockOffsetHours = hours;
  p.autoFontSize = true;
  p.incrustFont = {21, 0xFFFFFF, "Arial", false, false, false, false};
  p.inlayPositionX = 50;
  p.inlayPositionY = 850;
  return p;
}

TEST(InlayFilterSettings, RoundedDurationAndShiftOnlyWhenNeeded) {
  test::EnsureGuiApplication();
  const auto entry = EntryOf("/v/clip.avi", 2, media::TvSystem::kNtsc, 30000.0 / 1001);
  auto filters = commands::InlayFilterSettings(entry, InlayPreferences(0), settings::EnglishLocaleFormats());
  EXPECT_EQ(filters.calenox.InlayFrames(), 150);
  // The rewriter copies the source's datecode as it is, or moved by the offset.
  const media::TDatecode dc{2010, 2, 16, 21, 36, 28};
  auto source = test::BlankDvFrame(media::DvSystem::k525_60);
  ASSERT_TRUE(media::WriteDatecode(source, dc));
  ASSERT_TRUE(media::WriteWideScreen(source, true));
  const auto rewritten = [&](const Dixmark& dixmark) {
    auto output = test::BlankDvFrame(media::DvSystem::k525_60);
    EXPECT_TRUE(dixmark.Process(output, source));
    media::TDatecode got;
    got = test::FixedDatecode(output);
    EXPECT_FALSE(test::FixedWide(output));
    return got;
  };
  EXPECT_EQ(rewritten(filters.dixmark), dc);
  EXPECT_EQ(filters.calenox.Next(source), "16/02/2010 21:36:28");
  // The stored position (per mille of the active picture) places the text.
  const TextBox box = Layrin(filters.layrin).Place("16/02/2010 21:36:28", 720, 480);
  ASSERT_FALSE(box.Empty());
  EXPECT_EQ(box.x, 40);
  EXPECT_EQ(box.y, 408);

  filters = commands::InlayFilterSettings(entry, InlayPreferences(-2), settings::EnglishLocaleFormats());
  EXPECT_EQ(rewritten(filters.dixmark), (media::TDatecode{2010, 2, 16, 19, 36, 28}));
  EXPECT_EQ(filters.calenox.Next(source), "16/02/2010 19:36:28");
}

TEST(InlayConditions, FollowTypeAndCodec) {
  auto entry = EntryOf("/v/clip.avi", 1, media::TvSystem::kPal, 25);
  bool visible = false;
  bool enabled = false;
  commands::IncrusterDatecodeFileCondition(entry, visible, enabled);
  EXPECT_TRUE(visible && enabled);
  entry.codec = "DVSD";
  commands::IncrusterDatecodeFileCondition(entry, visible, enabled);
  EXPECT_FALSE(visible || enabled);
  entry.dvType = 2;
  commands::IncrusterDatecodeFileCondition(entry, visible, enabled);
  EXPECT_TRUE(enabled);
  entry.isDV = false;
  commands::IncrusterDatecodeFileCondition(entry, visible, enabled);
  EXPECT_FALSE(enabled);
}

struct InlayCase {
  const char* clip;
  int dv_type;
  media::TvSystem system;
  double fps;
};

TEST(IncrusterDatecode, TheTextIsInThePictureAndTheHeaderIsTheSources) {
  test::EnsureGuiApplication();
  TempDir dir;
  for (const InlayCase& c : {InlayCase{"pal_type1.avi", 1, media::TvSystem::kPal, 25},
                             InlayCase{"ntsc_type2.avi", 2, media::TvSystem::kNtsc, 30000.0 / 1001}}) {
    const auto source_path = test::CopyStandardSample(c.clip, dir.path());
    commands::ConvertTimer timer;
    const settings::Preferences preferences = InlayPreferences(0);
    FilterAvailability availability;
    test::ScriptedHost host;
    commands::ProcessFlags flags;
    commands::ConversionServices services{timer, preferences, availability, host, flags};
    std::string newfichier;
    ASSERT_EQ(commands::IncrusterDatecodeExecution(EntryOf(source_path, c.dv_type, c.system, c.fps), newfichier,
                                                   services),
              commands::utAdd)
        << c.clip;
    std::filesystem::path expected = source_path;
    expected.replace_extension();
    expected += "_in.avi";
    ASSERT_EQ(newfichier, expected.string());

    const DvSource source(source_path);
    const DvSource output(newfichier);
    ASSERT_EQ(output.FrameCount(), source.FrameCount());
    EXPECT_EQ(output.Interleaved(), c.dv_type == 1);
    EXPECT_EQ(output.System(), source.System());
    if (c.dv_type == 2 && test::UseProgram("ffmpeg")) {
      EXPECT_EQ(test::ExtractStream(newfichier, "a:0", "s16le"), test::ExtractStream(source_path, "a:0", "s16le"));
    }

    // The text's box, as the overlay places it for this picture.
    auto filters = commands::InlayFilterSettings(EntryOf(source_path, c.dv_type, c.system, c.fps), preferences,
                                                 settings::EnglishLocaleFormats());
    std::vector<std::uint8_t> a;
    std::vector<std::uint8_t> b;
    DvPictureDecoder decoder;
    for (std::size_t k : {std::size_t{0}, source.FrameCount() - 1}) {
      ASSERT_TRUE(source.ReadFrame(k, a));
      ASSERT_TRUE(output.ReadFrame(k, b));
      media::TDatecode da;
      media::TDatecode db;
      da = test::FixedDatecode(a);
      db = test::FixedDatecode(b);
      EXPECT_EQ(db, da);
      EXPECT_EQ(test::FixedTimecode(b), test::FixedTimecode(a));
      EXPECT_EQ(media::DecodeDvAudio(b).pcm[0], media::DecodeDvAudio(a).pcm[0]);
      graphs::FramePtr pa;
      graphs::FramePtr pb;
      ASSERT_TRUE(decoder.Decode(a, pa));
      ASSERT_TRUE(decoder.Decode(b, pb));
      Calenox calenox = filters.calenox;
      const TextBox box = Layrin(filters.layrin).Place(calenox.Next(a), pa->width, pa->height);
      ASSERT_FALSE(box.Empty());
      const LumaChange change = Compare(*pa, *pb, box);
      EXPECT_GT(change.inside, 8.0) << c.clip << " frame " << k;
      EXPECT_LT(change.outside, 2.0) << c.clip << " frame " << k;
    }
    if (test::UseProgram("ffprobe")) {
      const auto probed = test::ProbeFile(newfichier);
      ASSERT_TRUE(probed);
      EXPECT_EQ(probed->streams.at(0).codec_name, "dvvideo");
      EXPECT_EQ(probed->streams.at(0).read_frames, static_cast<long long>(source.FrameCount()));
    }
  }
}

// On real camcorder frames the inlay changes the picture blocks only: the
// header, subcode (with its IDs), VAUX (camera packs included) and sound
// blocks are the source's, byte for byte, as ffmpeg hands the packets out.
TEST(IncrusterDatecode, RealFramesKeepEveryBlockButThePicture) {
  KORVID_REQUIRE_REAL_FIXTURES();
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  test::EnsureGuiApplication();
  const auto frame = test::ReadWholeFile(test::RealFixturesDir() / "sony_perfect.dv");
  const std::size_t bytes = media::FrameBytes(media::DvSystem::k525_60);
  ASSERT_EQ(frame.size(), bytes);
  TempDir dir;
  const auto source = dir / "sony.avi";
  {
    auto writer = media::AviWriter::CreateType1(source, {media::DvSystem::k525_60, false});
    for (int k = 0; k < 3; ++k) writer.WriteVideoFrame(frame);
    writer.Close();
  }
  const auto entry = EntryOf(source, 1, media::TvSystem::kNtsc, 30000.0 / 1001);
  auto filters = commands::InlayFilterSettings(entry, InlayPreferences(0), settings::EnglishLocaleFormats());
  InlayJob job(source, dir / "sony_in.avi", 1, media::DvSystem::k525_60, std::move(filters.calenox),
               Layrin(std::move(filters.layrin)), std::move(filters.dixmark));
  JobProgress progress;
  job.Run(progress);

  const auto out = test::ExtractStream(dir / "sony_in.avi", "v:0", "rawvideo");
  ASSERT_EQ(out.size(), 3 * bytes);
  for (std::size_t k = 0; k < 3; ++k) {
    std::size_t pictureDiffers = 0;
    for (std::size_t s = 0; s < 10; ++s) {
      for (std::size_t b = 0; b < 150; ++b) {
        const std::size_t at = media::DifBlockOffset(s, b);
        const bool same = std::equal(frame.begin() + static_cast<std::ptrdiff_t>(at),
                                     frame.begin() + static_cast<std::ptrdiff_t>(at + 80),
                                     out.begin() + static_cast<std::ptrdiff_t>(k * bytes + at));
        const bool picture = b >= 6 && (b - 6) % 16 != 0;
        if (picture) {
          pictureDiffers += !same;
        } else {
          EXPECT_TRUE(same) << "frame " << k << " sequence " << s << " block " << b;
        }
      }
    }
    EXPECT_GT(pictureDiffers, 0u) << "the text is in the picture";
  }
}

}  // namespace
}  // namespace korvid::graphs
