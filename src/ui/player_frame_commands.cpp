// The player commands of the frame: play, the steps, full screen, sound
// and the datecode overlay.

#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QSlider>

#include "commands/scene_files.h"
#include "graphs/player_steps.h"
#include "resources/string_table.h"
#include "ui/player_frame.h"
#include "ui/ui_text.h"
#include "ui/video_surface.h"

namespace korvid::ui {

using resources::Text;

QString TBaseFrame::PlayStopCaption() const {
  return UiText(binding_.IsPlaying() ? Text::kPauseCaption : Text::kPlayCaption);
}
QString TBaseFrame::FullScreenCaption() const {
  return UiText(fullScreen_ ? Text::kQuitFullscreenCaption : Text::kavFullscreenCaption);
}
QString TBaseFrame::MuteCaption() const { return UiText(prefs_.muteOn ? Text::kSoundOnCaption : Text::kavMuteCaption); }
QString TBaseFrame::MuteHint() const { return UiText(prefs_.muteOn ? Text::kSoundOffHint : Text::kSoundOnHint); }
QString TBaseFrame::DatecodeCaption() const {
  return UiText(prefs_.inlayOn ? Text::kHideDatecodeCaption : Text::kAfficherDatecodeCaption);
}
QString TBaseFrame::SlidersCaption() const {
  return UiText(prefs_.inlaySlidersVisible ? Text::kHideSlidersCaption : Text::kamAfficherSlidersCaption);
}

void TBaseFrame::PlayStop() { binding_.PlayStop(); }
void TBaseFrame::PausePlayer() { binding_.Pause(); }
void TBaseFrame::SeekRelative(std::int64_t units) { binding_.SeekRelative(units); }
void TBaseFrame::SeekToFrame(std::int64_t frame) { binding_.SeekToFrame(frame); }

void TBaseFrame::FrameForward() {
  if (const std::int64_t step = graphs::OneFrameUnits(entry_ ? entry_->fps : 0)) SeekRelative(step);
}
void TBaseFrame::FrameBackward() {
  if (const std::int64_t step = graphs::OneFrameUnits(entry_ ? entry_->fps : 0)) SeekRelative(-step);
}
void TBaseFrame::SecondForward() { SeekRelative(graphs::kOneSecondUnits); }
void TBaseFrame::SecondBackward() { SeekRelative(-graphs::kOneSecondUnits); }
void TBaseFrame::MinuteForward() { SeekRelative(graphs::kOneMinuteUnits); }
void TBaseFrame::MinuteBackward() { SeekRelative(-graphs::kOneMinuteUnits); }
void TBaseFrame::GoToStart() { SeekToFrame(0); }
void TBaseFrame::GoToEnd() { binding_.GoToEnd(); }

void TBaseFrame::SceneForward() {
  if (entry_ && entry_->hasSceneFile) binding_.SceneForward(commands::SceneFilePath(entry_->fullName));
}

void TBaseFrame::SceneBackward() {
  if (entry_ && entry_->hasSceneFile) binding_.SceneBackward(commands::SceneFilePath(entry_->fullName));
}

void TBaseFrame::ShowSceneStart(std::int32_t frame) {
  if (!entry_) return;
  // While a scan runs the player has let go of the file: reading it for
  // one picture does not get in the scan's way.
  if (!binding_.IsOpen()) {
    if (!binding_.Reopen(entry_->fullName)) return;
    SetPlayerVisible(true);
  }
  binding_.SeekToFrame(frame);
}

void TBaseFrame::ToggleFullScreen() {
  if (!fullScreen_) {
    if (!vw->isVisible()) return;
    fullScreen_ = true;
    QScreen* screen = window()->screen();
    vw->setParent(nullptr);
    vw->setWindowFlag(Qt::FramelessWindowHint);
    // Without a window manager only the geometry makes it fill the screen.
    if (screen != nullptr) vw->setGeometry(screen->geometry());
    vw->showFullScreen();
    vw->activateWindow();
  } else {
    fullScreen_ = false;
    vw->showNormal();
    vw->setParent(this);
    vw->setWindowFlag(Qt::FramelessWindowHint, false);
    PlaceVideo(aspect_);
    vw->show();
    incrustHorz->raise();
    incrustVert->raise();
  }
  // The video window is then a window of its own: the window's player
  // commands go with it, so that their keys act there as they do at home.
  leaveFullScreen_->setEnabled(fullScreen_);
  for (QAction* action : fullScreenActions_) {
    if (fullScreen_)
      vw->addAction(action);
    else
      vw->removeAction(action);
  }
  Q_EMIT FullScreenChanged(fullScreen_);
}

void TBaseFrame::ToggleMute() {
  prefs_.muteOn = !prefs_.muteOn;
  binding_.SetMuted(prefs_.muteOn);
  Q_EMIT MuteChanged(prefs_.muteOn);
}

void TBaseFrame::SetDatecodeShown(bool shown) {
  prefs_.inlayOn = shown;
  OverlaySettingsChanged();
  Q_EMIT DatecodeChanged(shown);
}

void TBaseFrame::ToggleDatecode() {
  if (inlayReady_) SetDatecodeShown(!prefs_.inlayOn);
}

void TBaseFrame::ToggleSliders() {
  if (!inlayReady_) return;
  prefs_.inlaySlidersVisible = !prefs_.inlaySlidersVisible;
  if (prefs_.inlaySlidersVisible && !prefs_.inlayOn) SetDatecodeShown(true);
  const bool shown = prefs_.inlaySlidersVisible && vw->isVisible() && !fullScreen_;
  incrustHorz->setVisible(shown);
  incrustVert->setVisible(shown);
  Q_EMIT SlidersChanged(prefs_.inlaySlidersVisible);
}

void TBaseFrame::PlaceInlayFromSliders() {
  prefs_.inlayPositionX = incrustHorz->value();
  prefs_.inlayPositionY = settings::StoredFromVerticalSlider(incrustVert->value());
  overlay_.SetPosition(prefs_.inlayPositionX, prefs_.inlayPositionY);
  Redraw();
}

void TBaseFrame::PlaceInlayAt(int x_thousandths, int y_thousandths) {
  if (!inlayReady_ || !prefs_.inlaySlidersVisible) return;
  {
    const QSignalBlocker h(incrustHorz);
    const QSignalBlocker v(incrustVert);
    incrustHorz->setValue(x_thousandths);
    incrustVert->setValue(settings::VerticalSliderFromStored(y_thousandths));
  }
  PlaceInlayFromSliders();
}

void TBaseFrame::SeekToTrackBar() { SeekToTrackBarAt(tb->value()); }

void TBaseFrame::SeekToTrackBarAt(int value) { binding_.SeekToFraction(value, tb->maximum()); }

void TBaseFrame::ScrubFinished() {
  SeekToTrackBar();
  binding_.ScrubFinished();
}

}  // namespace korvid::ui
