#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMouseEvent>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QRegularExpression>
#include <QTextEdit>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "commands/scene_files.h"
#include "graphs/player_steps.h"
#include "media/avi_frame_index.h"
#include "media/avi_stream_analysis.h"
#include "media/binary_file.h"
#include "media/avi_stream_locator.h"
#include "media/le_bytes.h"
#include "sample_clip.h"
#include "support/sample_set.h"
#include "support/test_env.h"
#include "ui/player_frame.h"
#include "ui/video_surface.h"
#include "widget_app.h"

namespace korvid::ui {
namespace {

using graphs::FrameRate;

constexpr const char* kFormat = "dd/mm/yyyy hh:nn:ss";

TEST(PlayerArithmetic, PositionTextsAndStepTargets) {
  EXPECT_EQ(graphs::FramePositionText(90061, 25), "1:00:02:11");
  EXPECT_EQ(graphs::SoundPositionText(3'723'500'000), "0:06:12:350");

  // 29.97: one frame's offset lands on the neighbour both ways, far into the file too.
  const FrameRate ntsc{30000, 1001};
  const std::int64_t oneFrame = graphs::OneFrameUnits(29.97);
  EXPECT_EQ(oneFrame, 333'667);
  for (const std::int64_t k : {0LL, 1LL, 100LL, 107'892LL}) {
    EXPECT_EQ(graphs::StepTarget(k, oneFrame, ntsc, 200'000), k + 1);
    if (k > 0) {
      EXPECT_EQ(graphs::StepTarget(k, -oneFrame, ntsc, 200'000), k - 1);
    }
  }
  const FrameRate pal{25, 1};
  EXPECT_EQ(graphs::StepTarget(20 * 25, -graphs::kOneMinuteUnits, pal, 3000), 0);          // back from 00:00:20
  EXPECT_EQ(graphs::StepTarget(2990, graphs::kOneMinuteUnits, pal, 3000), 2999);            // stops at the end
  EXPECT_EQ(graphs::StepTarget(0, graphs::kOneSecondUnits, pal, 3000), 25);

  const std::vector<std::int64_t> starts{40, 90};
  EXPECT_EQ(graphs::SceneForwardTarget(starts, 0, 120), 40);
  EXPECT_EQ(graphs::SceneForwardTarget(starts, 90, 120), 119);   // after the last scene: the end
  EXPECT_EQ(graphs::SceneBackwardTarget(starts, 90), 40);
  EXPECT_EQ(graphs::SceneBackwardTarget(starts, 40), 0);         // before the first: frame 0
}

// A clip whose every frame has its own datecode (the clock jumps 7 s at
// each frame) and its own timecode.
samples::DvClipSpec DistinctClip(media::DvSystem system, int dvType, int frames) {
  samples::DvClipSpec spec;
  spec.file_name = system == media::DvSystem::k625_50 ? "distinct_pal.avi" : "distinct_ntsc.avi";
  spec.system = system;
  spec.dv_type = dvType;
  spec.frames = frames;
  spec.start = {2004, 6, 1, 10, 0, 0};
  spec.start_timecode = {0, 59, 58, 0};
  for (int k = 1; k < frames; ++k) spec.jumps.push_back({k, 7});
  return spec;
}

std::string ExpectedDatecode(const media::TDatecode& dc) {
  char text[64];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d:%02d", dc.day, dc.month, dc.year, dc.hour, dc.minute,
                dc.second);
  return text;
}

std::string ExpectedTimecode(const media::TTimecode& tc) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d.%02d.%02d.%02d", tc.hours, tc.minutes, tc.seconds, tc.frames);
  return text;
}

void RunEventsFor(int ms, const std::function<bool()>& until = {}) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms && !(until && until())) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

settings::Preferences PlayerPreferences() {
  settings::Preferences prefs;
  prefs.displayDatecodeFormat = kFormat;
  prefs.incrustFont = {21, 0x00FFFFFF, "Liberation Sans"};
  prefs.autoFontSize = true;
  prefs.inlayPositionX = 920;
  prefs.inlayPositionY = 120;
  prefs.muteOn = true;
  return prefs;
}

media::TAfficherFichier Analysed(const std::filesystem::path& path) {
  return media::AnalyseFile(path, {kFormat, settings::EnglishLocaleFormats()});
}

class PlayerLabels : public ::testing::Test {
 protected:
  // The frame the position label names, read back from its text.
  std::int64_t FrameOfPosition(double fps) const {
    const QStringList parts = frame_.labTimeStamp->text().split(':');
    EXPECT_EQ(parts.size(), 4) << frame_.labTimeStamp->text().toStdString();
    if (parts.size() != 4) return -1;
    const std::int64_t s = (parts[0].toLongLong() * 60 + parts[1].toLongLong()) * 60 + parts[2].toLongLong();
    return std::llround(static_cast<double>(s) * fps) + parts[3].toLongLong();
  }

  // The labels show the packs of the frame on screen, as the clip was written.
  void ExpectLabelsOf(const samples::DvClipSpec& spec, double fps, std::int64_t frame, const char* when) {
    SCOPED_TRACE(when);
    EXPECT_EQ(frame_.Engine().ShownFrame(), frame);
    EXPECT_EQ(FrameOfPosition(fps), frame);
    ExpectLabelsMatchPosition(spec, fps);
  }

  void ExpectLabelsMatchPosition(const samples::DvClipSpec& spec, double fps) {
    const std::int64_t frame = FrameOfPosition(fps);
    ASSERT_GE(frame, 0);
    EXPECT_EQ(frame_.labDatecode->text().toStdString(),
              ExpectedDatecode(samples::DatecodeOfFrame(spec, static_cast<int>(frame))))
        << "frame " << frame;
    EXPECT_EQ(frame_.LabTimecode->text().toStdString(),
              ExpectedTimecode(samples::TimecodeOfFrame(spec, static_cast<int>(frame))))
        << "frame " << frame;
  }

  test::TempDir dir_;
  settings::Preferences prefs_ = PlayerPreferences();
  TBaseFrame frame_{prefs_, settings::EnglishLocaleFormats()};
};

TEST_F(PlayerLabels, EveryStepShowsThePacksOfTheFrameOnScreen) {
  struct Case {
    media::DvSystem system;
    int dvType;
    double fps;
  };
  for (const Case c : {Case{media::DvSystem::k625_50, 1, 25.0}, Case{media::DvSystem::k525_60, 2, 29.97}}) {
    const samples::DvClipSpec spec = DistinctClip(c.system, c.dvType, 100);
    const auto path = dir_ / spec.file_name;
    samples::WriteDvClip(path, spec);
    SCOPED_TRACE(spec.file_name);
    const int second = c.fps > 26 ? 30 : 25;

    ASSERT_TRUE(frame_.OpenInPlayer(Analysed(path)));
    EXPECT_FALSE(frame_.IsPlaying());
    EXPECT_FALSE(frame_.vw->Picture().isNull());
    ExpectLabelsOf(spec, c.fps, 0, "opened");
    frame_.FrameForward();
    ExpectLabelsOf(spec, c.fps, 1, "one frame forward");
    frame_.SecondForward();
    ExpectLabelsOf(spec, c.fps, 1 + second, "one second forward");
    frame_.FrameBackward();
    ExpectLabelsOf(spec, c.fps, second, "one frame backward");
    frame_.GoToEnd();
    ExpectLabelsOf(spec, c.fps, 99, "end");
    frame_.SecondBackward();
    ExpectLabelsOf(spec, c.fps, 99 - second, "one second backward");
    frame_.MinuteForward();
    ExpectLabelsOf(spec, c.fps, 99, "one minute forward near the end");
    frame_.MinuteBackward();
    ExpectLabelsOf(spec, c.fps, 0, "one minute backward");
    frame_.SeekToFrame(57);
    ExpectLabelsOf(spec, c.fps, 57, "frame 57");
    frame_.GoToStart();
    ExpectLabelsOf(spec, c.fps, 0, "start");

    // While playing, at several moments, and back to frame 0 paused at the end.
    frame_.PlayStop();
    ASSERT_TRUE(frame_.IsPlaying());
    // A sound server may hold the first moment of sound (and the picture with it).
    RunEventsFor(5000, [&] { return frame_.Engine().ShownFrame() > 0; });
    std::int64_t last = 0;
    for (int moment = 0; moment < 5; ++moment) {
      RunEventsFor(300);
      if (!frame_.IsPlaying()) break;
      ExpectLabelsMatchPosition(spec, c.fps);
      const std::int64_t now = FrameOfPosition(c.fps);
      EXPECT_GE(now, last) << "moment " << moment;
      last = now;
    }
    EXPECT_GT(last, 0);
    RunEventsFor(6000, [&] { return !frame_.IsPlaying(); });
    EXPECT_FALSE(frame_.IsPlaying());
    ExpectLabelsOf(spec, c.fps, 0, "after the end");
  }
}

TEST_F(PlayerLabels, ScenesStepThroughScnFilesOfEitherWriter) {
  const samples::DvClipSpec spec = DistinctClip(media::DvSystem::k625_50, 2, 75);
  const auto path = dir_ / spec.file_name;
  samples::WriteDvClip(path, spec);

  // As the scene command writes it.
  const std::string full = std::filesystem::absolute(path).lexically_normal().string();
  {
    media::TAfficherFichier entry;
    entry.fullName = full;
    commands::ScnFileWriter writer;
    ASSERT_TRUE(writer.OpenSceneOutput(entry));
    for (const auto& [start, end] : {std::pair{0, 19}, {20, 44}, {45, 74}}) {
      commands::TSceneInfo scene;
      scene.StartFrame = start;
      scene.EndFrame = end;
      writer.WriteScene(scene);
    }
    writer.CloseSceneOutput();
  }
  media::TAfficherFichier entry = Analysed(path);
  ASSERT_TRUE(entry.hasSceneFile);
  ASSERT_TRUE(frame_.OpenInPlayer(entry));
  frame_.SceneBackward();
  ExpectLabelsOf(spec, 25, 0, "back before the first scene");
  frame_.SceneForward();
  ExpectLabelsOf(spec, 25, 20, "second scene");
  frame_.SceneForward();
  ExpectLabelsOf(spec, 25, 45, "third scene");
  frame_.SceneForward();
  ExpectLabelsOf(spec, 25, 74, "after the last scene: the end");
  frame_.SceneBackward();
  ExpectLabelsOf(spec, 25, 45, "back to the third");
  frame_.PlayStop();
  frame_.SceneBackward();  // pauses first
  EXPECT_FALSE(frame_.IsPlaying());

  // Another writer of the layout: its own path in the file, scenes at 10 and 60.
  const std::string other = "D:\\Capture\\tape 3.avi";
  std::vector<std::uint8_t> bytes = commands::ScnHeader(other);
  bytes[commands::ScnCountOffset(other)] = 3;
  for (const auto& piece : {commands::ScnFirstSceneRecord(other, 10), commands::ScnFurtherSceneRecord(10, 50),
                            commands::ScnFurtherSceneRecord(60, 15)})
    bytes.insert(bytes.end(), piece.begin(), piece.end());
  bytes.resize(bytes.size() - 3);  // a last record cut short counts for nothing
  test::WriteWholeFile(commands::SceneFilePath(full), bytes);
  frame_.GoToStart();
  frame_.SceneForward();
  ExpectLabelsOf(spec, 25, 10, "other writer, second scene");
  frame_.SceneForward();
  ExpectLabelsOf(spec, 25, 74, "other writer, the cut record is not a scene");
}

// The box around the pixels where two pictures differ.
QRect Changed(const QImage& a, const QImage& b) {
  QRect box;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.pixel(x, y) != b.pixel(x, y)) box |= QRect(x, y, 1, 1);
  return box;
}

TEST_F(PlayerLabels, OverlayDrawsTheDatecodeWhereTheUserPlacesIt) {
  ASSERT_TRUE(frame_.OpenInPlayer(Analysed(test::StandardSample("pal_type2.avi"))));
  const QImage plain = frame_.vw->Picture();
  ASSERT_EQ(plain.size(), QSize(720, 576));
  EXPECT_EQ(prefs_.inlayPositionX, 920);  // the frame leaves the stored position as it found it
  EXPECT_EQ(prefs_.inlayPositionY, 120);

  frame_.ToggleDatecode();
  EXPECT_TRUE(prefs_.inlayOn);
  const QRect first = Changed(plain, frame_.vw->Picture());
  ASSERT_FALSE(first.isEmpty());
  EXPECT_GT(first.center().x(), 360);  // 920 thousandths across, 120 down
  EXPECT_LT(first.center().y(), 288);

  // A click on the video moves it while the sliders are shown.
  frame_.ToggleSliders();
  const QRect video = frame_.vw->PictureRect();
  const QPointF at(video.width() * 0.1, video.height() * 0.8);
  QMouseEvent click(QEvent::MouseButtonPress, at, frame_.vw->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(frame_.vw, &click);
  EXPECT_EQ(prefs_.inlayPositionX, 100);
  EXPECT_EQ(prefs_.inlayPositionY, 800);
  EXPECT_EQ(frame_.incrustVert->value(), 200);
  const QRect moved = Changed(plain, frame_.vw->Picture());
  ASSERT_FALSE(moved.isEmpty());
  EXPECT_LT(moved.center().x(), 360);
  EXPECT_GT(moved.center().y(), 288);

  frame_.ToggleDatecode();
  EXPECT_EQ(frame_.vw->Picture(), plain);
}

// Automatic inlay for one second: the datecode comes with the first
// frame, with the frame where the camera started again, and with every
// frame the user moves to, and goes a second of playing later.
TEST_F(PlayerLabels, AutomaticInlayShowsTheDatecodeForItsSecondsFromEachJumpAndStep) {
  samples::DvClipSpec spec;
  spec.frames = 100;
  spec.distinct_pictures = 1;  // one picture throughout: what differs is the text
  spec.jump_frame = 50;
  spec.jump_hours = 3;
  const auto path = dir_ / "two_scenes.avi";
  samples::WriteDvClip(path, spec);
  prefs_.automaticInlay = true;
  prefs_.inlayDurationSeconds = 1;
  frame_.OverlaySettingsChanged();
  ASSERT_TRUE(frame_.OpenInPlayer(Analysed(path)));
  const QImage plain = frame_.vw->Picture();
  frame_.ToggleDatecode();
  const auto textShown = [&] { return frame_.vw->Picture() != plain; };
  EXPECT_TRUE(textShown()) << "the first frame is a jump";

  std::vector<std::int64_t> withText;
  std::vector<std::int64_t> without;
  QObject::connect(&frame_.Engine(), &PlayerEngine::FrameShown, &frame_, [&](const graphs::PlaybackFrame& f) {
    (textShown() ? withText : without).push_back(f.number);
  });
  frame_.PlayStop();
  RunEventsFor(15000, [&] { return !frame_.IsPlaying(); });
  ASSERT_FALSE(frame_.IsPlaying());
  ASSERT_GT(withText.size() + without.size(), 50u);
  const auto inScene = [](std::int64_t k) { return (k >= 1 && k < 25) || (k >= 50 && k < 75); };
  for (const std::int64_t k : withText) EXPECT_TRUE(inScene(k) || k == 0) << "text on frame " << k;
  for (const std::int64_t k : without) EXPECT_FALSE(inScene(k)) << "no text on frame " << k;
  EXPECT_TRUE(std::find(withText.begin(), withText.end(), 50) != withText.end() ||
              std::find(withText.begin(), withText.end(), 51) != withText.end());
  EXPECT_EQ(frame_.Engine().ShownFrame(), 0);
  EXPECT_TRUE(textShown()) << "back at the start";

  frame_.SeekToFrame(35);
  EXPECT_TRUE(textShown()) << "a step shows where it lands";
  prefs_.automaticInlay = false;
  frame_.OverlaySettingsChanged();
  EXPECT_TRUE(textShown());
  frame_.ToggleDatecode();
  EXPECT_FALSE(textShown()) << "the overlay switched off hides it whatever the automatic inlay";
}

// The message in place of the picture, as one line of text.
std::string Message(const TBaseFrame& frame) { return frame.reBaseFrame->toPlainText().toStdString(); }

// Dragging the handle shows, before it is let go, the frame under it with
// its own labels; a drag while playing pauses and plays on from the drop.
TEST_F(PlayerLabels, DraggingTheTrackBarShowsTheFrameUnderTheHandle) {
  const samples::DvClipSpec spec = DistinctClip(media::DvSystem::k625_50, 2, 100);
  const auto path = dir_ / spec.file_name;
  samples::WriteDvClip(path, spec);
  frame_.show();
  ASSERT_TRUE(frame_.OpenInPlayer(Analysed(path)));
  QSlider& bar = *frame_.tb;
  const auto handleNow = [&bar] {
    QStyleOptionSlider option;
    option.initFrom(&bar);
    option.orientation = Qt::Horizontal;
    option.minimum = bar.minimum();
    option.maximum = bar.maximum();
    option.sliderPosition = bar.value();
    return bar.style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, &bar).center();
  };
  const QPoint handle = handleNow();
  const auto mouse = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, bar.mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(&bar, &event);
  };
  mouse(QEvent::MouseButtonPress, handle, Qt::LeftButton);
  ASSERT_TRUE(bar.isSliderDown());
  for (const int dx : {40, 120, 70}) {
    mouse(QEvent::MouseMove, handle + QPoint(dx, 0), Qt::LeftButton);
    ASSERT_TRUE(bar.isSliderDown());
    const std::int64_t under = static_cast<std::int64_t>(bar.sliderPosition()) * 100 / bar.maximum();
    ASSERT_GT(under, 0);
    ExpectLabelsOf(spec, 25, under, "dragging");
  }
  mouse(QEvent::MouseButtonRelease, handle + QPoint(70, 0), Qt::NoButton);
  const std::int64_t dropped = frame_.Engine().ShownFrame();
  ExpectLabelsOf(spec, 25, static_cast<std::int64_t>(bar.value()) * 100 / bar.maximum(), "let go");

  frame_.PlayStop();
  ASSERT_TRUE(frame_.IsPlaying());
  const QPoint playing = handleNow();
  mouse(QEvent::MouseButtonPress, playing, Qt::LeftButton);
  ASSERT_TRUE(bar.isSliderDown());
  EXPECT_FALSE(frame_.Engine().IsPlaying()) << "the picture follows the handle, not the clock";
  mouse(QEvent::MouseMove, playing - QPoint(40, 0), Qt::LeftButton);
  mouse(QEvent::MouseButtonRelease, playing - QPoint(40, 0), Qt::NoButton);
  EXPECT_TRUE(frame_.IsPlaying());
  EXPECT_LT(frame_.Engine().ShownFrame(), dropped - 5);
  frame_.PausePlayer();
}

// Another program rewrites the open file: the next read notices, and the
// file is opened again as it now is, or, no longer playable, stops with
// the stage that fails.
TEST_F(PlayerLabels, AFileRewrittenWhileOpenIsOpenedAgainOrStopsWithItsStage) {
  const samples::DvClipSpec first = DistinctClip(media::DvSystem::k625_50, 2, 100);
  samples::DvClipSpec second = DistinctClip(media::DvSystem::k625_50, 1, 60);
  second.file_name = "second.avi";
  second.start = {2011, 3, 9, 8, 30, 0};
  second.start_timecode = {1, 10, 0, 0};
  const auto path = dir_ / first.file_name;
  samples::WriteDvClip(path, first);
  samples::WriteDvClip(dir_ / second.file_name, second);
  ASSERT_TRUE(frame_.OpenInPlayer(Analysed(path)));
  frame_.SeekToFrame(80);
  ExpectLabelsOf(first, 25, 80, "before");

  // Rewritten in place, shorter: the step lands in the new file.
  test::WriteWholeFile(path, test::ReadWholeFile(dir_ / second.file_name));
  frame_.FrameBackward();
  EXPECT_EQ(frame_.Engine().Source()->FrameCount(), 60);
  ExpectLabelsOf(second, 25, 59, "rewritten in place, shorter: the new end");

  // Replaced while playing: it plays on in the new file.
  const auto other = dir_ / "replacement.avi";
  samples::WriteDvClip(other, first);
  frame_.GoToStart();
  frame_.PlayStop();
  RunEventsFor(5000, [&] { return frame_.Engine().ShownFrame() > 2; });
  std::filesystem::rename(other, path);
  RunEventsFor(5000, [&] { return frame_.Engine().Source() != nullptr && frame_.Engine().Source()->FrameCount() == 100; });
  ASSERT_TRUE(frame_.IsPlaying());
  RunEventsFor(200);
  ExpectLabelsMatchPosition(first, 25);
  frame_.PausePlayer();

  // No longer an AVI file: the stage text.
  test::WriteWholeFile(path, std::vector<std::uint8_t>(5000, 'x'));
  frame_.FrameForward();
  EXPECT_EQ(frame_.FailureStage(), PlayerStage::kNotAvi);
  EXPECT_FALSE(frame_.Engine().IsOpen());
  EXPECT_NE(Message(frame_).find("seems not to be a correct AVI file"), std::string::npos) << Message(frame_);
}

// A capture cut short, without its index: its end is the last frame that
// is wholly in the file, picture and labels alike.
TEST_F(PlayerLabels, GoToEndOfACutFileLandsOnTheLastWholeFrame) {
  const samples::DvClipSpec spec = DistinctClip(media::DvSystem::k625_50, 2, 60);
  const auto path = dir_ / spec.file_name;
  samples::WriteDvClip(path, spec);
  std::uint64_t cut = 0;
  {
    const media::BinaryFile file(path, media::BinaryFile::Mode::kRead);
    const media::AviFrameIndex index = media::AviFrameIndex::Load(file);
    const auto frames = index.FramesOf(0);
    ASSERT_EQ(frames.size(), 60u);
    cut = frames[59].offset + frames[59].size / 3;  // the index and most of frame 59 gone
  }
  std::filesystem::resize_file(path, cut);
  ASSERT_TRUE(frame_.OpenInPlayer(Analysed(path)));
  frame_.GoToEnd();
  ExpectLabelsOf(spec, 25, 58, "end");
  const QImage last = frame_.vw->Picture();
  frame_.FrameBackward();
  frame_.GoToEnd();
  EXPECT_EQ(frame_.vw->Picture(), last) << "the picture is that of the position shown";
  frame_.FrameForward();
  ExpectLabelsOf(spec, 25, 58, "a step past the end");
}

TEST_F(PlayerLabels, FailureStagesOnRealFiles) {
  // 0: sound only: the message, and the sound plays with the position in milliseconds.
  const auto audio = test::CopyStandardSample(samples::kAudioOnlyClipName, dir_.path());
  ASSERT_TRUE(frame_.OpenInPlayer(Analysed(audio)));
  EXPECT_EQ(frame_.FailureStage(), PlayerStage::kSoundOnly);
  EXPECT_NE(Message(frame_).find("Video not available"), std::string::npos);
  EXPECT_NE(Message(frame_).find("has only Audio streams"), std::string::npos);
  EXPECT_TRUE(frame_.labTimeStamp->isVisible() || !frame_.isVisible());
  EXPECT_EQ(frame_.labTimeStamp->text(), "0:00:00:000");
  frame_.PlayStop();
  RunEventsFor(300);
  EXPECT_TRUE(QRegularExpression("^0:00:00:\\d\\d0$").match(frame_.labTimeStamp->text()).hasMatch())
      << frame_.labTimeStamp->text().toStdString();
  EXPECT_NE(frame_.labTimeStamp->text(), "0:00:00:000");
  frame_.PausePlayer();

  // 1: missing.
  media::TAfficherFichier missing = Analysed(dir_ / "Gone.avi");
  EXPECT_FALSE(frame_.OpenInPlayer(missing));
  EXPECT_EQ(frame_.FailureStage(), PlayerStage::kUnreadable);
  EXPECT_NE(Message(frame_).find(media::AsciiLower(missing.fullName) + "\nis not found"), std::string::npos);
  EXPECT_FALSE(frame_.Engine().IsOpen());

  // 2: not AVI.
  const auto text = dir_ / "Notes.avi";
  test::WriteWholeFile(text, std::vector<std::uint8_t>(4000, 'x'));
  EXPECT_FALSE(frame_.OpenInPlayer(Analysed(text)));
  EXPECT_EQ(frame_.FailureStage(), PlayerStage::kNotAvi);
  EXPECT_NE(Message(frame_).find("notes.avi\nseems not to be a correct AVI file"), std::string::npos);

  // 3: real camcorder DV (wrapped by ffmpeg) under a handler code of its
  // own: it plays, and says which code to change.
  KORVID_REQUIRE_REAL_FIXTURES();
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  const auto odd = dir_ / "odd_codec.avi";
  ASSERT_EQ(test::RunCommand({"ffmpeg", "-v", "error", "-nostdin", "-y", "-i",
                              (test::RealFixturesDir() / "sony_perfect.dv").string(), "-map", "0:v", "-c", "copy", odd.string()})
                .exit_code,
            0);
  media::WriteVideoHandler(odd, media::FourCC("abcd"));
  ASSERT_TRUE(frame_.OpenInPlayer(Analysed(odd)));
  EXPECT_EQ(frame_.FailureStage(), PlayerStage::kOddDvCodec);
  EXPECT_FALSE(frame_.vw->Picture().isNull());
  EXPECT_NE(frame_.vw->toolTip().toStdString().find("change the codec \"abcd\" to \"dvsd\""), std::string::npos);
  EXPECT_NE(frame_.labDatecode->text(), "");

  // 5: released for a command; no reopening until resumed.
  frame_.ReleasePlayerFile();
  EXPECT_EQ(frame_.FailureStage(), PlayerStage::kInterrupted);
  EXPECT_FALSE(frame_.Engine().IsOpen());
  EXPECT_NE(Message(frame_).find(" Video temporarily interrupted\nto execute a command\n\nodd_codec.avi"),
            std::string::npos);
  EXPECT_FALSE(frame_.OpenInPlayer(Analysed(odd)));
  EXPECT_EQ(frame_.FailureStage(), PlayerStage::kInterrupted);
  frame_.ResumePlayer();
  EXPECT_TRUE(frame_.OpenInPlayer(Analysed(odd)));
  EXPECT_TRUE(frame_.Engine().IsOpen());
  EXPECT_TRUE(frame_.vw->isVisibleTo(&frame_));
  EXPECT_FALSE(frame_.reBaseFrame->isVisibleTo(&frame_));
}

}  // namespace
}  // namespace korvid::ui
