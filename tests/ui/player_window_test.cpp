// The player inside the real main window on the offscreen platform: what
// it shows after commands rewrite the open file, its keys and clicks full
// screen, and what it does without the overlay's components. Checked by
// labels, positions and pixels.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QListView>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "graphs/filter_catalogue.h"
#include "media/avi_stream_locator.h"
#include "media/le_bytes.h"
#include "sample_clip.h"
#include "support/test_env.h"
#include "ui/choice_dialog.h"
#include "ui/main_window.h"
#include "ui/player_frame.h"
#include "ui/video_surface.h"
#include "widget_app.h"

namespace korvid::ui {
namespace {

namespace fs = std::filesystem;

class PlayerWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A person answers Yes to every question and makes the dialog's
    // choice the test names.
    answerer_.setInterval(20);
    answerer_.callOnTimeout([this] {
      for (QWidget* top : QApplication::topLevelWidgets()) {
        if (!top->isVisible()) continue;
        if (auto* box = qobject_cast<QMessageBox*>(top)) {
          if (QAbstractButton* yes = box->button(QMessageBox::Yes)) yes->click();
          else box->accept();
          return;
        }
        if (auto* dialog = qobject_cast<ChoiceDialog*>(top); dialog != nullptr && choice_ >= 0) {
          dialog->Item(choice_)->click();
          dialog->OkButton()->click();
          return;
        }
      }
    });
    answerer_.start();
  }

  void Open(std::string missingFilters = {}) {
    window_ = std::make_unique<TUIForm>(
        WindowSetup{settings::StoreLocation{home_ / ".config"}, home_.path().string(), std::move(missingFilters), {}});
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    window_->Session().SetDisplayDatecodeFormat("dd/mm/yyyy hh:nn:ss");
  }

  void Drop(const fs::path& file) {
    auto data = std::make_unique<QMimeData>();
    data->setUrls({QUrl::fromLocalFile(QString::fromStdString(file.string()))});
    const QPointF at(100, 100);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_.get(), &enter);
    QDropEvent drop(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_.get(), &drop);
    QTest::qWait(10);
  }

  // The key as a person presses it on `target`, every key let go after.
  static void Key(QWindow* target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(target, key, modifiers);
    if (modifiers != Qt::NoModifier) QTest::keyRelease(target, Qt::Key_Control, Qt::NoModifier);
    QTest::qWait(10);
  }

  TBaseFrame& Player() const { return *test::Named<TBaseFrame>(*window_, "BaseFrame"); }
  std::string Position() const { return Player().labTimeStamp->text().toStdString(); }
  settings::Preferences& Prefs() { return window_->Session().Preferences().values(); }

  void TearDown() override { window_.reset(); }

  test::TempDir home_;
  test::TempDir work_;
  std::unique_ptr<TUIForm> window_;
  QTimer answerer_;
  int choice_ = -1;
};

// Each command below rewrites the open file or writes beside it; the
// frame shows the file as it is now without another file being chosen.
TEST_F(PlayerWindowTest, CommandsThatChangeTheOpenFileShowItAgain) {
  samples::DvClipSpec spec;
  spec.frames = 60;
  spec.jump_frame = 30;
  spec.jump_hours = 3;
  const fs::path clip = work_ / "two_scenes.avi";
  samples::WriteDvClip(clip, spec);
  Open();
  Drop(clip);
  ASSERT_EQ(Player().LabNom->text(), "two_scenes.avi");
  EXPECT_FALSE(Player().labscn->isVisibleTo(&Player()));
  EXPECT_EQ(Player().LabCodec->text(), "dvsd (type 2)");
  EXPECT_EQ(Player().labFPS->text(), "25");
  const QString duration = Player().LabDuree->text();

  window_->Action("amCreerScenes")->trigger();
  ASSERT_TRUE(fs::exists(work_ / "two_scenes.scn"));
  EXPECT_TRUE(Player().labscn->isVisibleTo(&Player()));
  window_->Action("avReculeDebut")->trigger();
  window_->Action("AvanceScene")->trigger();
  EXPECT_EQ(Position(), "0:00:01:05") << "F9 goes to the second scene";

  choice_ = 1;  // dsvd
  window_->Action("amCorrigerCodec")->trigger();
  EXPECT_EQ(Player().LabCodec->text(), "dsvd (type 2)");
  EXPECT_TRUE(Player().Engine().IsOpen());

  choice_ = 1;  // NTSC: 29.97
  window_->Action("amCorrigerFps")->trigger();
  EXPECT_EQ(Player().labFPS->text(), "29.97");
  EXPECT_NE(Player().LabDuree->text(), duration);
  EXPECT_TRUE(Player().Engine().IsOpen());
  EXPECT_FALSE(Player().FailureStage().has_value());
}

// Full screen, the video window is a window of its own: the player's
// keys act there as in the main window, and a click places the datecode.
TEST_F(PlayerWindowTest, FullScreenAnswersThePlayersKeysAndPlacesTheOverlayWhereClicked) {
  samples::DvClipSpec spec;
  spec.frames = 100;
  const fs::path clip = work_ / "clip.avi";
  samples::WriteDvClip(clip, spec);
  Open();
  Prefs().muteOn = true;
  Drop(clip);
  Key(window_->windowHandle(), Qt::Key_Return, Qt::AltModifier);
  VideoSurface* video = Player().vw;
  ASSERT_TRUE(video->isWindow());
  ASSERT_TRUE(QTest::qWaitForWindowExposed(video));
  QWindow* screen = video->windowHandle();

  Key(screen, Qt::Key_Right, Qt::ControlModifier);
  EXPECT_EQ(Position(), "0:00:00:01");
  Key(screen, Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(Position(), "0:00:01:01");
  Key(screen, Qt::Key_Up, Qt::ControlModifier);
  Key(screen, Qt::Key_Left, Qt::ControlModifier);
  EXPECT_EQ(Position(), "0:00:00:00");
  Key(screen, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(Position(), "0:00:03:24");
  Key(screen, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(Position(), "0:00:00:00");
  Key(screen, Qt::Key_M, Qt::ControlModifier);
  EXPECT_FALSE(Prefs().muteOn);

  const QImage plain = video->Picture();
  Key(screen, Qt::Key_F12);
  EXPECT_TRUE(Prefs().inlayOn);
  EXPECT_NE(video->Picture(), plain);

  window_->Action("amAfficherSliders")->trigger();
  ASSERT_TRUE(Prefs().inlaySlidersVisible);
  const QRect picture = video->PictureRect();
  QTest::mouseClick(video, Qt::LeftButton, Qt::NoModifier,
                    picture.topLeft() + QPoint(picture.width() / 4, picture.height() * 3 / 4));
  EXPECT_NEAR(Prefs().inlayPositionX, 250, 2);
  EXPECT_NEAR(Prefs().inlayPositionY, 750, 2);

  Key(screen, Qt::Key_Space);
  EXPECT_TRUE(Player().IsPlaying());
  Key(screen, Qt::Key_Space);
  EXPECT_FALSE(Player().IsPlaying());
  Key(screen, Qt::Key_Escape);
  EXPECT_FALSE(video->isWindow());
}

// Without the maker's overlay components the DV file plays as it is and
// the command that would draw over it is not offered at all.
TEST_F(PlayerWindowTest, WithoutTheOverlayComponentsADvFilePlaysPlainAndF12IsHidden) {
  samples::DvClipSpec spec;
  const fs::path clip = work_ / "clip.avi";
  samples::WriteDvClip(clip, spec);
  namespace names = graphs::names;
  Open(std::string(names::kLayrin) + ";" + std::string(names::kCalenox) + ";" + std::string(names::kHorolan) + ";" +
       std::string(names::kDixmark));
  ASSERT_FALSE(window_->Session().Availability().inlayReady);
  Prefs().inlayOn = true;
  Drop(clip);
  ASSERT_FALSE(Player().vw->Picture().isNull());
  const QImage shown = Player().vw->Picture();
  Prefs().inlayOn = false;
  Player().OverlaySettingsChanged();
  EXPECT_EQ(Player().vw->Picture(), shown) << "nothing was drawn over the picture";

  const QAction* datecode = window_->Action("amAfficherDatecode");
  ASSERT_NE(datecode, nullptr);
  EXPECT_FALSE(datecode->isVisible());
  EXPECT_FALSE(window_->Action("amAfficherSliders")->isVisible());
  Key(window_->windowHandle(), Qt::Key_F12);
  EXPECT_FALSE(Prefs().inlayOn);
  EXPECT_EQ(Player().vw->Picture(), shown);
}

// A DV file under an unusual handler code plays, and the status bar says
// for a while which code to change.
TEST_F(PlayerWindowTest, AnUnusualDvHandlerCodeIsToldInTheStatusBar) {
  samples::DvClipSpec spec;
  const fs::path clip = work_ / "odd.avi";
  samples::WriteDvClip(clip, spec);
  media::WriteVideoHandler(clip, media::FourCC("abcd"));
  Open();
  Drop(clip);
  EXPECT_FALSE(Player().vw->Picture().isNull());
  const std::string remark = window_->statusBar()->currentMessage().toStdString();
  EXPECT_NE(remark.find("change the codec \"abcd\" to \"dvsd\""), std::string::npos) << remark;
  // The idle time's "Ready" does not cover it.
  QEventLoop loop;
  QTimer::singleShot(100, &loop, &QEventLoop::quit);
  loop.exec();
  EXPECT_EQ(window_->statusBar()->currentMessage().toStdString(), remark);
}

}  // namespace
}  // namespace korvid::ui
