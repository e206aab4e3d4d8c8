// Contact sheets of generated clips whose scenes and damaged frames are
// known: the stills against FFmpeg's own decode of the chosen frames, the
// strips' colours at the damaged frames, the captions, and the pages.
#include <gtest/gtest.h>

#include <QImage>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "graphs/contact_sheet.h"
#include "graphs/scene_detector.h"
#include "graphs/scene_picture.h"
#include "graphs/scene_scan.h"
#include "graphs/scene_survey.h"
#include "media/avi_frame_index.h"
#include "media/avi_param.h"
#include "media/binary_file.h"
#include "sample_clip.h"
#include "support/gui_app.h"
#include "support/test_env.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kBlock = 80;

media::DatecodeFormat IsoFormat() { return {"yyyy-mm-dd hh:nn:ss", settings::EnglishLocaleFormats()}; }

// Marks one video block (STA nibble) or one audio block (the 16-bit error
// code in its first sample) of frame `k`, found by the blocks' ID bytes.
void MarkFrame(const fs::path& clip, std::size_t k, int sectionType) {
  std::vector<std::uint8_t> file = test::ReadWholeFile(clip);
  media::FrameLocation where;
  {
    const media::BinaryFile opened(clip, media::BinaryFile::Mode::kRead);
    const media::TAviParam param(opened);
    where = media::AviFrameIndex::Load(opened, param).FramesOf(*media::FindDvVideoStream(param))[k];
  }
  int marked = 0;
  for (std::size_t at = where.offset; at + kBlock <= where.offset + where.size && marked < 3; at += kBlock) {
    if ((file[at] >> 5) != sectionType) continue;
    if (sectionType == 4) {
      file[at + 3] = static_cast<std::uint8_t>((file[at + 3] & 0x0F) | 0x70);
    } else {
      file[at + 8] = 0x80;
      file[at + 9] = 0x00;
    }
    ++marked;
  }
  ASSERT_EQ(marked, 3);
  test::WriteWholeFile(clip, file);
}

struct Surveyed {
  graphs::SceneSurvey survey;
  std::vector<graphs::SceneStill> stills;
};

// As the command does, with what the listing finds on the first frame.
Surveyed Survey(const fs::path& clip, const samples::DvClipSpec& spec) {
  graphs::SceneFrameReader reader(clip, graphs::FrameReading::kWholeFrame);
  const std::atomic<bool> never{false};
  std::optional<graphs::SceneSurvey> survey =
      graphs::SurveyScenes(reader, graphs::RecordingValue(samples::DatecodeOfFrame(spec, 0)),
                           graphs::SceneTimecodeText(samples::TimecodeOfFrame(spec, 0)), never);
  EXPECT_TRUE(survey.has_value());
  if (!survey) return {};
  Surveyed out{std::move(*survey), {}};
  out.stills = graphs::MakeSceneStills(out.survey, reader, IsoFormat(), graphs::kSheetStillHeight, never);
  return out;
}

// FFmpeg's picture of frame `k` through the same still chain, as BGRA bytes.
QImage FfmpegStill(const fs::path& clip, std::size_t k, bool wide) {
  const std::string chain = "select=eq(n\\," + std::to_string(k) + ")," +
                            graphs::StillChain(graphs::kSheetStillHeight, wide);
  const test::CommandResult result =
      test::RunCommand({"ffmpeg", "-v", "error", "-nostdin", "-i", clip.string(), "-vf", chain, "-frames:v", "1",
                        "-f", "rawvideo", "-pix_fmt", "bgra", "-"});
  const int width = graphs::StillWidth(graphs::kSheetStillHeight, wide);
  const auto bytes = static_cast<std::size_t>(width) * graphs::kSheetStillHeight * 4;
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.output.size(), bytes);
  if (result.output.size() != bytes) return {};
  QImage image(width, graphs::kSheetStillHeight, QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y)
    std::memcpy(image.scanLine(y), result.output.data() + static_cast<std::size_t>(y) * width * 4,
                static_cast<std::size_t>(width) * 4);
  return image;
}

// Mean and largest difference of the colour channels over the whole image.
void ExpectClose(const QImage& ours, const QImage& theirs) {
  ASSERT_EQ(ours.size(), theirs.size());
  double sum = 0;
  int largest = 0;
  for (int y = 0; y < ours.height(); ++y)
    for (int x = 0; x < ours.width(); ++x) {
      const QRgb a = ours.pixel(x, y);
      const QRgb b = theirs.pixel(x, y);
      for (const int d : {qRed(a) - qRed(b), qGreen(a) - qGreen(b), qBlue(a) - qBlue(b)}) {
        sum += std::abs(d);
        largest = std::max(largest, std::abs(d));
      }
    }
  EXPECT_LT(sum / (3.0 * ours.width() * ours.height()), 1.5);
  EXPECT_LE(largest, 24);
}

// Pixels of `area` that are not the page's background.
int InkIn(const QImage& page, const QRect& area) {
  const QRgb background = page.pixel(1, 1);
  int ink = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) ink += page.pixel(x, y) != background ? 1 : 0;
  return ink;
}

TEST(ContactSheetTest, StillsAreFfmpegsPicturesOfTheFirstUndamagedFrames) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  test::EnsureGuiApplication();
  const test::TempDir dir;
  struct Case {
    media::DvSystem system;
    bool wide;
    int width;
  };
  for (const Case& c : {Case{media::DvSystem::k625_50, false, 240}, Case{media::DvSystem::k525_60, true, 320}}) {
    SCOPED_TRACE(c.wide ? "NTSC 16:9" : "PAL 4:3");
    samples::DvClipSpec spec;
    spec.system = c.system;
    spec.wide = c.wide;
    spec.dv_type = 1;
    spec.frames = 90;
    spec.jumps = {{30, 3600}, {60, 7200}};
    const fs::path clip = dir / (c.wide ? "wide.avi" : "pal.avi");
    samples::WriteDvClip(clip, spec);
    // The second scene's first two frames are damaged, video then audio.
    MarkFrame(clip, 30, 4);
    MarkFrame(clip, 31, 3);

    const Surveyed surveyed = Survey(clip, spec);
    ASSERT_EQ(surveyed.survey.scenes.size(), 3u);
    const std::vector<std::size_t> chosen{0, 32, 60};
    for (std::size_t i = 0; i < chosen.size(); ++i) {
      SCOPED_TRACE("scene " + std::to_string(i));
      EXPECT_EQ(surveyed.survey.scenes[i].pictureFrame, chosen[i]);
      EXPECT_EQ(surveyed.stills[i].picture.size(), QSize(c.width, graphs::kSheetStillHeight));
      ExpectClose(surveyed.stills[i].picture, FfmpegStill(clip, chosen[i], c.wide));
    }
    EXPECT_EQ(surveyed.survey.damage[30].video, 3);
    EXPECT_GE(surveyed.survey.damage[31].audio, 1);
    EXPECT_EQ(surveyed.survey.damage[31].video, 0);

    const graphs::SheetHeading heading = graphs::MakeSheetHeading("pal.avi", surveyed.survey, IsoFormat());
    const std::vector<graphs::SheetPage> pages =
        graphs::DrawContactSheet(heading, surveyed.stills, surveyed.survey.damage, c.wide, 2);
    ASSERT_EQ(pages.size(), 1u);
    const graphs::SheetPage& page = pages[0];
    ASSERT_EQ(page.places.size(), 3u);
    // Two to a row: the third still starts the second row.
    EXPECT_EQ(page.places[1].still.top(), page.places[0].still.top());
    EXPECT_GT(page.places[2].still.top(), page.places[0].caption.bottom());
    for (std::size_t i = 0; i < 3; ++i) {
      const graphs::SheetPage::Place& place = page.places[i];
      EXPECT_EQ(place.still.size(), QSize(c.width, graphs::kSheetStillHeight));
      EXPECT_TRUE(page.image.rect().contains(place.caption));
      EXPECT_EQ(page.image.copy(place.still), surveyed.stills[i].picture.convertToFormat(page.image.format()));
    }
  }
}

TEST(ContactSheetTest, StripsShowDamageWhereItIsAndCaptionsCarryText) {
  test::EnsureGuiApplication();
  const test::TempDir dir;
  samples::DvClipSpec spec;
  spec.dv_type = 1;
  spec.frames = 90;
  spec.jumps = {{30, 3600}, {60, 7200}};
  const fs::path clip = dir / "clip.avi";
  samples::WriteDvClip(clip, spec);
  MarkFrame(clip, 30, 4);
  MarkFrame(clip, 31, 3);
  MarkFrame(clip, 45, 4);
  MarkFrame(clip, 89, 3);

  const Surveyed surveyed = Survey(clip, spec);
  ASSERT_EQ(surveyed.survey.scenes.size(), 3u);
  const graphs::SheetHeading heading = graphs::MakeSheetHeading("clip.avi", surveyed.survey, IsoFormat());
  EXPECT_EQ(heading.recordedText, "Recorded 2005-08-14 15:02:11 to 2005-08-14 18:02:14");
  EXPECT_EQ(heading.durationText, "3s 15fr");
  EXPECT_EQ(surveyed.stills[1].datecodeText, "2005-08-14 16:02:12");
  EXPECT_EQ(surveyed.stills[1].durationText, "1s 05fr");
  const std::vector<graphs::SheetPage> pages =
      graphs::DrawContactSheet(heading, surveyed.stills, surveyed.survey.damage, false, 5);
  ASSERT_EQ(pages.size(), 1u);
  const QImage& image = pages[0].image;

  // 30 frames over 240 columns: frame f of the scene covers columns 8f..8f+7.
  const auto colour = [&](std::size_t scene, int frameInScene, bool upper) {
    const QRect strip = pages[0].places[scene].strip;
    return image.pixel(strip.left() + frameInScene * 8 + 4, upper ? strip.top() + 1 : strip.bottom() - 1) |
           0xFF000000u;
  };
  EXPECT_EQ(colour(1, 0, true), graphs::kStripVideo);
  EXPECT_EQ(colour(1, 0, false), graphs::kStripClean);
  EXPECT_EQ(colour(1, 1, true), graphs::kStripClean);
  EXPECT_EQ(colour(1, 1, false), graphs::kStripAudio);
  EXPECT_EQ(colour(1, 15, true), graphs::kStripVideo);
  EXPECT_EQ(colour(1, 16, true), graphs::kStripClean);
  EXPECT_EQ(colour(2, 29, false), graphs::kStripAudio);
  for (int f = 0; f < 30; ++f) {
    EXPECT_EQ(colour(0, f, true), graphs::kStripClean) << f;
    EXPECT_EQ(colour(0, f, false), graphs::kStripClean) << f;
  }

  // Text in each caption, none in the gap under it; different datecodes
  // draw different captions.
  for (const graphs::SheetPage::Place& place : pages[0].places) {
    EXPECT_GT(InkIn(image, place.caption), 200);
    EXPECT_EQ(InkIn(image, QRect(place.caption.left(), place.caption.bottom() + 2, place.caption.width(), 10)), 0);
  }
  EXPECT_NE(image.copy(pages[0].places[0].caption), image.copy(pages[0].places[1].caption));
}

TEST(ContactSheetTest, ManyScenesMakeSeveralPagesEachWrittenWhole) {
  test::EnsureGuiApplication();
  std::vector<graphs::SceneStill> stills(graphs::kScenesPerSheetPage + 3);
  std::vector<graphs::FrameDamage> damage(stills.size() * 20);
  for (std::size_t i = 0; i < stills.size(); ++i) {
    stills[i].startFrame = static_cast<std::int32_t>(i * 20);
    stills[i].endFrame = stills[i].startFrame + 19;
    stills[i].durationText = "20fr";
  }
  const graphs::SheetHeading heading{"many.avi", "No datecode", "16s 00fr", stills.size()};
  const std::vector<graphs::SheetPage> pages = graphs::DrawContactSheet(heading, stills, damage, false, 8);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[0].places.size(), graphs::kScenesPerSheetPage);
  EXPECT_EQ(pages[1].places.size(), 3u);
  EXPECT_GT(pages[0].image.height(), 20 * graphs::kSheetStillHeight);
  EXPECT_GE(pages[0].image.width(), 8 * 240);

  const test::TempDir dir;
  const fs::path first = dir / "many_sheet.png";
  test::WriteWholeFile(first, {'o', 'l', 'd'});
  const std::vector<fs::path> written = graphs::WriteSheetPages(pages, first, dir / "many.avi");
  ASSERT_EQ(written, (std::vector<fs::path>{first, dir / "many_sheet-2.png"}));
  for (std::size_t i = 0; i < 2; ++i) {
    const QImage read(QString::fromStdString(written[i].string()));
    EXPECT_EQ(read.size(), pages[i].image.size());
  }
  // Nothing but the two pages is left in the folder.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

}  // namespace
}  // namespace korvid
