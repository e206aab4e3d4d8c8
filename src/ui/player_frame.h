#pragma once
// The player frame beside the video list: the information labels of the
// current entry, its picture with the datecode over it, the position of
// the frame on screen, the track bar and the player's commands. The
// datecode and timecode labels show the packs of the frame on screen.
//
// The main window embeds it, calls ShowEntry and OpenInPlayer when the
// current entry changes, and binds its player actions to the public slots;
// the *Changed signals tell it which captions to show. The frame holds the
// widgets; what it asks of the file being played goes through its engine
// binding (player_binding.h).

#include <QFrame>
#include <QList>
#include <cstdint>
#include <optional>

#include "graphs/playback_frame.h"
#include "media/video_record.h"
#include "settings/date_time_format.h"
#include "settings/preferences.h"
#include "ui/player_binding.h"
#include "ui/player_engine.h"
#include "ui/player_overlay.h"

class QAction;
class QLabel;
class QProgressBar;
class QShortcut;
class QSlider;
class QTextEdit;

namespace korvid::ui {

class VideoSurface;

// Why the frame shows a message instead of the picture.
enum class PlayerStage {
  kSoundOnly = 0,     // no video; the sound plays
  kUnreadable = 1,    // missing or unreadable
  kNotAvi = 2,        // not an AVI file
  kOddDvCodec = 3,    // DV under an unusual handler code; it plays all the same
  kNoDecoder = 4,     // no decoder for the codec
  kInterrupted = 5,   // the file is released for a command
};

class TBaseFrame : public QFrame {
  Q_OBJECT

 public:
  // `prefs` outlives the frame; the player commands write the preferences
  // they change (mute, overlay, sliders, inlay position) into it.
  TBaseFrame(settings::Preferences& prefs, settings::LocaleFormats locale, QWidget* parent = nullptr);
  ~TBaseFrame() override;

  // The information of `entry`, the video window shaped for it.
  void ShowEntry(const media::TAfficherFichier& entry);
  // Opens the entry and shows its first frame paused; false (and the
  // message of the stage that failed) when it cannot be played.
  bool OpenInPlayer(const media::TAfficherFichier& entry);
  // No entry: empty labels, no file held.
  void ClearPlayer();
  // The message of `stage` in place of the picture.
  void ShowPlayerMessage(PlayerStage stage);
  // The welcome text of a frame with no entry yet.
  void ShowWelcome();
  // Around commands that may rewrite the open file.
  void ReleasePlayerFile();
  void ResumePlayer();

  // The settings panel changed the overlay's preferences or the display
  // format: the overlay and the datecode label follow, and a paused
  // picture is drawn again.
  void OverlaySettingsChanged();

  // Without the overlay's components the picture is shown plain and the
  // overlay's commands do nothing.
  void SetInlayReady(bool ready);
  // The window's player commands: full screen, the video window answers
  // their keys as the main window does.
  void SetFullScreenActions(QList<QAction*> actions) { fullScreenActions_ = std::move(actions); }

  // A command's progress takes the track bar's place while it runs.
  void ShowGauge(bool visible);
  void SetGauge(int percent);

  std::optional<PlayerStage> FailureStage() const { return stage_; }
  bool IsPlaying() const { return binding_.IsPlaying(); }
  const PlayerEngine& Engine() const { return binding_.Engine(); }

  // Captions of the actions that change with the player's state.
  QString PlayStopCaption() const;
  QString FullScreenCaption() const;
  QString MuteCaption() const;
  QString MuteHint() const;
  QString DatecodeCaption() const;
  QString SlidersCaption() const;

  // The widgets, under the names the window's code uses.
  QFrame* Panel1 = nullptr;
  QLabel* LabNom = nullptr;
  QLabel* labDatecode = nullptr;
  QLabel* LabTimecode = nullptr;
  QLabel* LabCodec = nullptr;
  QLabel* LabImage = nullptr;
  QLabel* LabDuree = nullptr;
  QLabel* labFPS = nullptr;
  QLabel* LabAudio1 = nullptr;
  QLabel* LabAudio2 = nullptr;
  QLabel* labscn = nullptr;
  VideoSurface* vw = nullptr;
  QSlider* tb = nullptr;
  QLabel* labTimeStamp = nullptr;
  QProgressBar* Gauge1 = nullptr;
  QSlider* incrustHorz = nullptr;
  QSlider* incrustVert = nullptr;
  QTextEdit* reBaseFrame = nullptr;

 public Q_SLOTS:
  void PlayStop();
  void PausePlayer();
  void FrameForward();
  void FrameBackward();
  void SecondForward();
  void SecondBackward();
  void MinuteForward();
  void MinuteBackward();
  void GoToStart();
  void GoToEnd();
  void SceneForward();
  void SceneBackward();
  void ToggleFullScreen();
  void ToggleMute();
  void ToggleDatecode();
  void ToggleSliders();
  // A scene scan's hook: shows the frame where a new scene begins.
  void ShowSceneStart(std::int32_t frame);
  // Moves by `units` of 100 ns, kept within the file.
  void SeekRelative(std::int64_t units);
  void SeekToFrame(std::int64_t frame);

 Q_SIGNALS:
  void PlayingChanged(bool playing);
  void FullScreenChanged(bool fullScreen);
  void MuteChanged(bool muted);
  void DatecodeChanged(bool shown);
  void SlidersChanged(bool shown);
  // A click on the file name (the window opens its folder).
  void FileNameClicked();
  // A passing remark for the status bar.
  void StatusMessage(const QString& text);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The datecode label: from the packs of the frame on screen, else the
  // entry's first frame.
  void ShowDatecode(const std::optional<graphs::FramePacks>& packs);
  void BuildWidgets();
  void PlaceVideo(graphs::DisplayAspect aspect);
  void PlaceSliders();
  void SetPlayerVisible(bool visible);
  void WriteMessage(PlayerStage stage);
  void OnFrameShown(const graphs::PlaybackFrame& frame, bool moved);
  void Redraw();
  void SeekToTrackBar();
  void SeekToTrackBarAt(int value);
  void ScrubFinished();
  void OnPlaybackFailed(int stage);
  void PlaceInlayFromSliders();
  void PlaceInlayAt(int x_thousandths, int y_thousandths);
  void SetDatecodeShown(bool shown);
  double PositionFps() const;

  settings::Preferences& prefs_;
  settings::LocaleFormats locale_;
  PlayerBinding binding_;
  PlayerOverlay overlay_;
  std::optional<media::TAfficherFichier> entry_;
  std::optional<PlayerStage> stage_;
  bool interrupted_ = false;
  bool fullScreen_ = false;
  bool inlayReady_ = true;
  graphs::DisplayAspect aspect_;
  // The frame on screen, kept to redraw it when the overlay changes.
  QImage picture_;
  std::optional<graphs::FramePacks> packs_;
  // Escape leaves full screen: in the main window the key aborts commands.
  QShortcut* leaveFullScreen_ = nullptr;
  QList<QAction*> fullScreenActions_;
};

}  // namespace korvid::ui
