#pragma once
// The player frame's hold on its engine: what the frame's commands ask of
// the open file (open, play, pause, the steps, seeks and scene jumps, a
// drag of the track bar or of the overlay's sliders) and the frames that
// come back on screen. It knows the file and the playback source, not the
// widgets: the frame shows what it reports.

#include <QObject>
#include <cstdint>
#include <filesystem>

#include "graphs/playback_frame.h"
#include "ui/player_engine.h"

namespace korvid::ui {

class PlayerBinding final : public QObject {
  Q_OBJECT

 public:
  explicit PlayerBinding(QObject* parent = nullptr);
  ~PlayerBinding() override;

  const PlayerEngine& Engine() const { return engine_; }
  bool IsOpen() const { return engine_.IsOpen(); }
  bool IsPlaying() const { return engine_.IsPlaying(); }

  // Opens `path` at its first frame, paused; the frame shown counts as
  // one the user moved to. Throws as PlayerEngine::Open does.
  void Open(const std::filesystem::path& path);
  // Opens `path` again after a command let go of it; false when it cannot.
  bool Reopen(const std::filesystem::path& path);
  void Close();
  void SetMuted(bool muted);

  void PlayStop();
  void Pause();
  // Moves by `units` of 100 ns, kept within the file.
  void SeekRelative(std::int64_t units);
  void SeekToFrame(std::int64_t frame);
  void GoToEnd();
  // The next or previous scene start of the scene file `scenes`.
  void SceneForward(const std::filesystem::path& scenes);
  void SceneBackward(const std::filesystem::path& scenes);
  // The place `value` of a track bar running from 0 to `maximum`.
  void SeekToFraction(int value, int maximum);
  // While the track bar's handle is held, playing waits.
  void ScrubStarted();
  void ScrubFinished();
  // While an overlay slider is held, a paused video plays without sound.
  void SliderPressed();
  void SliderReleased(bool muted);

 Q_SIGNALS:
  // A frame is on screen; `moved` when it is where the user moved to.
  void FrameShown(const korvid::graphs::PlaybackFrame& frame, bool moved);
  void PlayingChanged(bool playing);
  // The file cannot be played any longer; `stage` is a graphs::PlaybackStage.
  void Failed(int stage);

 private:
  void MoveTo(std::int64_t frame);
  void OnFrameShown(const graphs::PlaybackFrame& frame);
  void OnReachedEnd();

  PlayerEngine engine_;
  bool sliderPlays_ = false;  // a slider drag runs the paused video silently
  bool moved_ = false;        // the next frame shown is where the user moved to
  bool scrubPlays_ = false;   // playing resumes when the track bar is let go
};

}  // namespace korvid::ui
