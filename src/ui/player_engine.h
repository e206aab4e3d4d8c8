#pragma once
// Plays one file: decodes ahead on the feed's worker, sends the sound to
// the sound device and shows each picture when the sound clock reaches its
// time (the system clock when there is no sound or no device), dropping
// pictures that come too late rather than letting the sound wait. Every
// frame it hands out is the frame on screen, with its own packs.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <vector>

#include "graphs/playback_feed.h"
#include "graphs/playback_frame.h"
#include "graphs/playback_source.h"

class QAudioSink;
class QIODevice;

namespace korvid::ui {

class PlayerEngine : public QObject {
  Q_OBJECT

 public:
  explicit PlayerEngine(QObject* parent = nullptr);
  ~PlayerEngine() override;

  // Opens `path` and shows its first frame, paused. Throws
  // graphs::PlaybackError with the stage that failed; the engine is closed then.
  void Open(const std::filesystem::path& path);
  // Stops and lets go of the file.
  void Close();
  bool IsOpen() const { return source_ != nullptr; }
  const graphs::PlaybackSource* Source() const { return source_.get(); }

  bool IsPlaying() const { return playing_; }
  void Play();
  void Pause();
  // Shows frame k, clamped to the file: at once when paused (decoded before
  // returning), from the next tick when playing.
  void ShowFrame(std::int64_t k);
  // The frame on screen; -1 before the first.
  std::int64_t ShownFrame() const { return shown_; }

  void SetMuted(bool muted);
  // True when the pictures follow the sound device's clock.
  bool UsesSoundClock() const { return sink_ != nullptr && playing_; }
  // Where playback stands on its clock, in milliseconds of the file.
  double ClockMs() const;

 Q_SIGNALS:
  // A new frame is on screen.
  void FrameShown(const korvid::graphs::PlaybackFrame& frame);
  // The last frame has been played.
  void ReachedEnd();

 private:
  void Tick();
  void Present(graphs::PlaybackFrame frame);
  void StartFrom(std::int64_t k);
  void StopSound();
  void OpenSoundDevice(const graphs::PcmChunk& format);
  void QueueSound(const graphs::PcmChunk& chunk);
  void WriteSound();

  std::unique_ptr<graphs::PlaybackSource> source_;
  std::unique_ptr<graphs::PlaybackFeed> feed_;
  QTimer timer_;
  QElapsedTimer wall_;
  // Decoded frames whose time has not come yet.
  std::deque<graphs::PlaybackFrame> pending_;
  std::int64_t shown_ = -1;
  bool playing_ = false;
  bool muted_ = false;
  std::int64_t base_ms_ = 0;  // the file's time when the clock started

  std::unique_ptr<QAudioSink> sink_;
  QIODevice* sink_io_ = nullptr;
  int sound_channels_ = 0;  // channels sent to the device (at most two)
  std::vector<char> sound_queue_;  // bytes the device has not taken yet
};

}  // namespace korvid::ui
