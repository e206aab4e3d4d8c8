#pragma once
// Plays one file: decodes ahead on the feed's worker, sends the sound to
// the sound device and shows each picture when the sound clock reaches its
// time (the system clock when there is no sound or no device), dropping
// pictures that come too late rather than letting the sound wait. Every
// frame it hands out is the frame on screen, with its own packs.
//
// The sound device stays open from one file to the next (it is opened
// with the first file that has sound): opening it costs far more than
// starting it. A file that another program rewrites while it is open is
// noticed at the next read and opened again where it was.

#include <QAudioFormat>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "graphs/file_identity.h"
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
  bool UsesSoundClock() const { return sound_clock_ && sink_ != nullptr && playing_; }
  // Where playback stands on its clock, in milliseconds of the file.
  double ClockMs() const;

 Q_SIGNALS:
  // A new frame is on screen.
  void FrameShown(const korvid::graphs::PlaybackFrame& frame);
  // The last frame has been played.
  void ReachedEnd();
  // The file changed under the engine and cannot be opened again; the
  // engine is closed. `stage` is a graphs::PlaybackStage.
  void Failed(int stage);

 private:
  void Tick();
  void Present(graphs::PlaybackFrame frame);
  void StartFrom(std::int64_t k);
  void StopSound();
  // Makes the device ready for sound like `format`, started.
  void PrepareSound(const graphs::PcmChunk& format);
  void OpenSoundDevice(const graphs::PcmChunk& format);
  // Not playing: the device only gets silence.
  void KeepSoundIdle();
  void WriteSilence();
  // True when the file was rewritten since it was opened; it is then
  // opened again at frame `at`, playing when `play`, or closed with Failed.
  bool Rewritten(std::int64_t at, bool play);
  void QueueSound(const graphs::PcmChunk& chunk);
  void WriteSound();

  std::filesystem::path path_;
  std::optional<graphs::FileIdentity> identity_;  // of the file as opened
  std::unique_ptr<graphs::PlaybackSource> source_;
  std::unique_ptr<graphs::PlaybackFeed> feed_;
  QTimer timer_;
  QTimer release_;  // lets the device go a while after the last file
  QElapsedTimer wall_;
  QElapsedTimer checked_;  // since the file was last checked while playing
  // Decoded frames whose time has not come yet.
  std::deque<graphs::PlaybackFrame> pending_;
  std::int64_t shown_ = -1;
  bool playing_ = false;
  bool muted_ = false;
  std::int64_t base_ms_ = 0;  // the file's time when the clock started

  std::unique_ptr<QAudioSink> sink_;
  QIODevice* sink_io_ = nullptr;
  int sound_channels_ = 0;  // channels sent to the device (at most two)
  int sound_rate_ = 0;
  QAudioFormat sound_format_;
  qint64 processed_at_start_ = 0;  // the device's count when playing started
  bool sound_clock_ = false;       // the file playing has sound for the device
  std::vector<char> sound_queue_;  // bytes the device has not taken yet
};

}  // namespace korvid::ui
