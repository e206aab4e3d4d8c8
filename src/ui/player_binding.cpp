#include "ui/player_binding.h"

#include "commands/scene_files.h"
#include "graphs/player_steps.h"
#include "resources/user_error.h"

namespace korvid::ui {

PlayerBinding::PlayerBinding(QObject* parent) : QObject(parent) {
  connect(&engine_, &PlayerEngine::FrameShown, this, &PlayerBinding::OnFrameShown);
  connect(&engine_, &PlayerEngine::ReachedEnd, this, &PlayerBinding::OnReachedEnd);
  connect(&engine_, &PlayerEngine::Failed, this, &PlayerBinding::Failed);
}

PlayerBinding::~PlayerBinding() { engine_.Close(); }

void PlayerBinding::Open(const std::filesystem::path& path) {
  moved_ = true;
  engine_.Open(path);
}

bool PlayerBinding::Reopen(const std::filesystem::path& path) {
  try {
    engine_.Open(path);
  } catch (const UserError&) {
    return false;
  }
  return true;
}

void PlayerBinding::Close() { engine_.Close(); }
void PlayerBinding::SetMuted(bool muted) { engine_.SetMuted(muted); }

void PlayerBinding::PlayStop() {
  if (!engine_.IsOpen()) return;
  if (engine_.IsPlaying())
    engine_.Pause();
  else
    engine_.Play();
  Q_EMIT PlayingChanged(engine_.IsPlaying());
}

void PlayerBinding::Pause() {
  if (!engine_.IsPlaying()) return;
  engine_.Pause();
  Q_EMIT PlayingChanged(false);
}

void PlayerBinding::OnFrameShown(const graphs::PlaybackFrame& frame) {
  const bool moved = moved_;
  moved_ = false;
  Q_EMIT FrameShown(frame, moved);
}

void PlayerBinding::OnReachedEnd() {
  engine_.Pause();
  MoveTo(0);
  Q_EMIT PlayingChanged(false);
}

void PlayerBinding::SeekRelative(std::int64_t units) {
  const graphs::PlaybackSource* source = engine_.Source();
  if (source == nullptr) return;
  MoveTo(graphs::StepTarget(engine_.ShownFrame(), units, source->Rate(), source->FrameCount()));
}

void PlayerBinding::SeekToFrame(std::int64_t frame) { MoveTo(frame); }

void PlayerBinding::MoveTo(std::int64_t frame) {
  moved_ = true;
  engine_.ShowFrame(frame);
}

void PlayerBinding::GoToEnd() {
  if (engine_.Source() != nullptr) SeekToFrame(engine_.Source()->FrameCount());
}

void PlayerBinding::SceneForward(const std::filesystem::path& scenes) {
  if (!engine_.IsOpen()) return;
  Pause();
  const auto starts = commands::ReadScnSceneStarts(scenes);
  if (!starts) return;
  SeekToFrame(graphs::SceneForwardTarget(*starts, engine_.ShownFrame(), engine_.Source()->FrameCount()));
}

void PlayerBinding::SceneBackward(const std::filesystem::path& scenes) {
  if (!engine_.IsOpen()) return;
  Pause();
  const auto starts = commands::ReadScnSceneStarts(scenes);
  if (!starts) return;
  SeekToFrame(graphs::SceneBackwardTarget(*starts, engine_.ShownFrame()));
}

void PlayerBinding::SeekToFraction(int value, int maximum) {
  const graphs::PlaybackSource* source = engine_.Source();
  if (source == nullptr) return;
  SeekToFrame(value * source->FrameCount() / maximum);
}

// While the handle is dragged the picture follows it paused, one frame
// decoded for each place it passes; playing goes on from where it is let go.
void PlayerBinding::ScrubStarted() {
  scrubPlays_ = engine_.IsPlaying();
  if (scrubPlays_) engine_.Pause();
}

void PlayerBinding::ScrubFinished() {
  if (!scrubPlays_) return;
  scrubPlays_ = false;
  engine_.Play();
}

void PlayerBinding::SliderPressed() {
  if (engine_.IsPlaying()) return;
  sliderPlays_ = true;
  engine_.SetMuted(true);
  engine_.Play();
}

void PlayerBinding::SliderReleased(bool muted) {
  if (!sliderPlays_) return;
  sliderPlays_ = false;
  engine_.Pause();
  engine_.SetMuted(muted);
}

}  // namespace korvid::ui
