#include "ui/player_engine.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>
#include <algorithm>
#include <cstring>
#include <optional>

#include "graphs/playback_error.h"
#include "resources/user_error.h"

namespace korvid::ui {
namespace {

// Frames decoded ahead of the picture on screen: half a second of sound
// queued for the device keeps it from running dry.
constexpr std::size_t kFramesAhead = 12;
constexpr int kTickMs = 5;
constexpr int kSoundBufferMs = 200;
// Paused, the device is kept busy with this much silence ahead: a sound
// server whose output falls idle holds the next sound back for up to a
// second, so that the first Play would stall.
constexpr int kSilenceTickMs = 10;
constexpr int kSilenceLeadMs = 30;
// While playing, the file is checked for another program's rewriting
// this often.
constexpr int kRewriteCheckMs = 200;
// With no file open the device is let go after a while.
constexpr int kSoundKeptMs = 10'000;

}  // namespace

PlayerEngine::PlayerEngine(QObject* parent) : QObject(parent) {
  timer_.setTimerType(Qt::PreciseTimer);
  timer_.setInterval(kTickMs);
  connect(&timer_, &QTimer::timeout, this, &PlayerEngine::Tick);
  release_.setSingleShot(true);
  release_.setInterval(kSoundKeptMs);
  connect(&release_, &QTimer::timeout, this, [this] {
    timer_.stop();
    StopSound();
  });
}

PlayerEngine::~PlayerEngine() {
  Close();
  release_.stop();
  timer_.stop();
  StopSound();
  sink_.reset();
}

void PlayerEngine::Open(const std::filesystem::path& path) {
  Close();
  release_.stop();
  // Taken before the file is read: a change from then on is noticed.
  std::optional<graphs::FileIdentity> identity = graphs::FileIdentity::Of(path);
  auto source = std::make_unique<graphs::PlaybackSource>(path);
  auto feed = std::make_unique<graphs::PlaybackFeed>(*source);
  path_ = path;
  identity_ = identity;
  source_ = std::move(source);
  feed_ = std::move(feed);
  try {
    feed_->Seek(0);
    if (std::optional<graphs::PlaybackFrame> frame = feed_->Next()) {
      if (!frame->sound.samples.empty()) PrepareSound(frame->sound);
      Present(std::move(*frame));
    }
  } catch (...) {
    Close();
    throw;
  }
}

void PlayerEngine::Close() {
  playing_ = false;
  KeepSoundIdle();
  if (sink_io_ != nullptr) release_.start();
  pending_.clear();
  feed_.reset();  // before the source it reads
  source_.reset();
  identity_.reset();
  shown_ = -1;
}

bool PlayerEngine::Rewritten(std::int64_t at, bool play) {
  if (!source_ || graphs::FileIdentity::Of(path_) == identity_) return false;
  const std::filesystem::path path = path_;
  try {
    Open(path);
  } catch (const graphs::PlaybackError& error) {
    Q_EMIT Failed(static_cast<int>(error.Stage()));
    return true;
  } catch (const UserError&) {
    Q_EMIT Failed(static_cast<int>(graphs::PlaybackStage::kUnreadable));
    return true;
  }
  if (at > 0) ShowFrame(at);
  if (play) Play();
  return true;
}

void PlayerEngine::Play() {
  if (!source_ || playing_) return;
  if (Rewritten(shown_, true)) return;
  playing_ = true;
  StartFrom(shown_ + 1);
}

void PlayerEngine::Pause() {
  if (!playing_) return;
  playing_ = false;
  pending_.clear();
  KeepSoundIdle();
}

void PlayerEngine::ShowFrame(std::int64_t k) {
  if (!source_ || source_->FrameCount() <= 0 || Rewritten(k, playing_)) return;
  k = std::clamp<std::int64_t>(k, 0, source_->FrameCount() - 1);
  if (playing_) {
    StartFrom(k);
    return;
  }
  try {
    feed_->Seek(k);
    if (std::optional<graphs::PlaybackFrame> frame = feed_->Next()) Present(std::move(*frame));
  } catch (const UserError&) {
    // A frame that cannot be read: the one on screen stays.
  }
}

void PlayerEngine::SetMuted(bool muted) {
  muted_ = muted;
  if (sink_) sink_->setVolume(muted ? 0.0 : 1.0);
}

double PlayerEngine::ClockMs() const {
  if (!playing_) return shown_ >= 0 && source_ ? static_cast<double>(source_->TimeMsOf(shown_)) : 0.0;
  if (sound_clock_ && sink_ && sink_io_)
    return static_cast<double>(base_ms_) + static_cast<double>(sink_->processedUSecs() - processed_at_start_) / 1000.0;
  return static_cast<double>(base_ms_) + static_cast<double>(wall_.nsecsElapsed()) / 1e6;
}

void PlayerEngine::StartFrom(std::int64_t k) {
  pending_.clear();
  sound_queue_.clear();
  if (k >= source_->FrameCount()) {
    // Nothing left to play: as at the end of playback.
    playing_ = false;
    Q_EMIT ReachedEnd();
    return;
  }
  feed_->Seek(k);
  base_ms_ = source_->TimeMsOf(k);
  // The first frame decides the sound's format; the device starts with it.
  std::optional<graphs::PlaybackFrame> first;
  try {
    first = feed_->Next();
  } catch (const UserError&) {
  }
  if (!first) {
    playing_ = false;
    Q_EMIT ReachedEnd();
    return;
  }
  if (!first->sound.samples.empty()) PrepareSound(first->sound);
  // The silence already sent plays first; the clock counts from here.
  processed_at_start_ = sink_ ? sink_->processedUSecs() : 0;
  sound_clock_ = sink_ && sink_io_ && !first->sound.samples.empty();
  QueueSound(first->sound);
  pending_.push_back(std::move(*first));
  wall_.start();
  timer_.setInterval(kTickMs);
  timer_.start();
  Tick();
}

void PlayerEngine::Tick() {
  if (!playing_) {
    WriteSilence();
    return;
  }
  if (!feed_) return;
  // A batch of reads first makes sure the index still fits the file; a
  // file still being written is opened again only so often.
  if (!checked_.isValid() || checked_.elapsed() >= kRewriteCheckMs) {
    checked_.start();
    if (Rewritten(shown_, true)) return;
  }
  try {
    while (pending_.size() < kFramesAhead) {
      std::optional<graphs::PlaybackFrame> next = feed_->TryNext();
      if (!next) break;
      QueueSound(next->sound);
      pending_.push_back(std::move(*next));
    }
  } catch (const UserError&) {
    // The file became unreadable: play what was decoded, then end.
  }
  WriteSound();
  if (!sound_clock_) WriteSilence();
  if (sink_ && sink_->error() != QAudio::NoError && sink_->error() != QAudio::UnderrunError) {
    // The device went away: carry on from here on the system clock.
    base_ms_ = static_cast<std::int64_t>(ClockMs());
    sink_.reset();
    sink_io_ = nullptr;
    sound_rate_ = 0;
    sound_clock_ = false;
    wall_.start();
  }

  const double clock = ClockMs();
  std::optional<graphs::PlaybackFrame> due;
  while (!pending_.empty() && static_cast<double>(pending_.front().time_ms) <= clock) {
    due = std::move(pending_.front());
    pending_.pop_front();
  }
  if (due) Present(std::move(*due));

  bool done = pending_.empty();
  try {
    done = done && feed_->AtEnd();
  } catch (const UserError&) {
  }
  if (done) {
    Pause();
    Q_EMIT ReachedEnd();
  }
}

void PlayerEngine::Present(graphs::PlaybackFrame frame) {
  shown_ = frame.number;
  Q_EMIT FrameShown(frame);
}

void PlayerEngine::PrepareSound(const graphs::PcmChunk& format) {
  const int channels = std::min(format.channels, 2);
  if (!sink_ || sound_rate_ != format.sample_rate || sound_channels_ != channels) OpenSoundDevice(format);
  if (!sink_ || sink_io_ != nullptr) return;
  sink_io_ = sink_->start();
  if (sink_io_ == nullptr || sink_->error() != QAudio::NoError) {
    sink_.reset();  // no usable device: the system clock leads
    sink_io_ = nullptr;
    sound_rate_ = 0;
    return;
  }
  KeepSoundIdle();
}

void PlayerEngine::OpenSoundDevice(const graphs::PcmChunk& format) {
  const int channels = std::min(format.channels, 2);
  StopSound();
  sink_.reset();
  sound_rate_ = 0;
  const QAudioDevice device = QMediaDevices::defaultAudioOutput();
  if (device.isNull() || format.sample_rate <= 0 || format.channels <= 0) return;
  QAudioFormat wanted;
  wanted.setSampleRate(format.sample_rate);
  sound_rate_ = format.sample_rate;
  sound_channels_ = channels;
  wanted.setChannelCount(sound_channels_);
  wanted.setSampleFormat(QAudioFormat::Int16);
  if (!device.isFormatSupported(wanted)) return;
  sink_ = std::make_unique<QAudioSink>(device, wanted);
  sound_format_ = wanted;
  sink_->setBufferSize(wanted.bytesForDuration(qint64{kSoundBufferMs} * 1000));
  sink_->setVolume(muted_ ? 0.0 : 1.0);
}

void PlayerEngine::QueueSound(const graphs::PcmChunk& chunk) {
  if (!sink_ || chunk.channels <= 0) return;
  // Devices take one or two channels: the first pair is the main sound.
  const std::size_t frames = chunk.Frames();
  const auto in_channels = static_cast<std::size_t>(chunk.channels);
  const auto out_channels = static_cast<std::size_t>(sound_channels_);
  const std::size_t at = sound_queue_.size();
  sound_queue_.resize(at + frames * out_channels * sizeof(std::int16_t));
  auto* out = sound_queue_.data() + at;
  for (std::size_t f = 0; f < frames; ++f) {
    for (std::size_t c = 0; c < out_channels; ++c) {
      const std::int16_t sample = chunk.samples[f * in_channels + std::min(c, in_channels - 1)];
      std::memcpy(out, &sample, sizeof sample);
      out += sizeof sample;
    }
  }
}

void PlayerEngine::WriteSound() {
  if (!sink_ || !sink_io_ || sound_queue_.empty()) return;
  const qint64 room = std::min<qint64>(sink_->bytesFree(), static_cast<qint64>(sound_queue_.size()));
  if (room <= 0) return;
  const qint64 written = sink_io_->write(sound_queue_.data(), room);
  if (written > 0) sound_queue_.erase(sound_queue_.begin(), sound_queue_.begin() + written);
}

void PlayerEngine::KeepSoundIdle() {
  sound_queue_.clear();
  if (sink_io_ == nullptr) {
    timer_.stop();
    return;
  }
  timer_.setInterval(kSilenceTickMs);
  if (!timer_.isActive()) timer_.start();
  WriteSilence();
}

void PlayerEngine::WriteSilence() {
  if (!sink_ || sink_io_ == nullptr) return;
  const qint64 buffered = sink_->bufferSize() - sink_->bytesFree();
  const qint64 frame = sound_format_.bytesPerFrame();
  const qint64 wanted = sound_format_.bytesForDuration(qint64{kSilenceLeadMs} * 1000) - buffered;
  if (frame <= 0 || wanted < frame) return;
  const std::vector<char> silence(static_cast<std::size_t>(wanted / frame * frame), 0);
  sink_io_->write(silence.data(), static_cast<qint64>(silence.size()));
}

void PlayerEngine::StopSound() {
  if (sink_) sink_->stop();
  sink_io_ = nullptr;
  sound_queue_.clear();
}

}  // namespace korvid::ui
