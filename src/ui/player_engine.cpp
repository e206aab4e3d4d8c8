#include "ui/player_engine.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>
#include <algorithm>
#include <cstring>
#include <optional>

namespace korvid::ui {
namespace {

// Frames decoded ahead of the picture on screen: half a second of sound
// queued for the device keeps it from running dry.
constexpr std::size_t kFramesAhead = 12;
constexpr int kTickMs = 5;
constexpr int kSoundBufferMs = 200;

}  // namespace

PlayerEngine::PlayerEngine(QObject* parent) : QObject(parent) {
  timer_.setTimerType(Qt::PreciseTimer);
  timer_.setInterval(kTickMs);
  connect(&timer_, &QTimer::timeout, this, &PlayerEngine::Tick);
}

PlayerEngine::~PlayerEngine() { Close(); }

void PlayerEngine::Open(const std::filesystem::path& path) {
  Close();
  auto source = std::make_unique<graphs::PlaybackSource>(path);
  auto feed = std::make_unique<graphs::PlaybackFeed>(*source);
  source_ = std::move(source);
  feed_ = std::move(feed);
  try {
    feed_->Seek(0);
    if (std::optional<graphs::PlaybackFrame> frame = feed_->Next()) Present(std::move(*frame));
  } catch (...) {
    Close();
    throw;
  }
}

void PlayerEngine::Close() {
  timer_.stop();
  playing_ = false;
  StopSound();
  sink_.reset();
  pending_.clear();
  feed_.reset();  // before the source it reads
  source_.reset();
  shown_ = -1;
}

void PlayerEngine::Play() {
  if (!source_ || playing_) return;
  playing_ = true;
  StartFrom(shown_ + 1);
}

void PlayerEngine::Pause() {
  if (!playing_) return;
  playing_ = false;
  timer_.stop();
  StopSound();
  pending_.clear();
}

void PlayerEngine::ShowFrame(std::int64_t k) {
  if (!source_ || source_->FrameCount() <= 0) return;
  k = std::clamp<std::int64_t>(k, 0, source_->FrameCount() - 1);
  if (playing_) {
    StopSound();
    StartFrom(k);
    return;
  }
  try {
    feed_->Seek(k);
    if (std::optional<graphs::PlaybackFrame> frame = feed_->Next()) Present(std::move(*frame));
  } catch (const std::exception&) {
    // A frame that cannot be read: the one on screen stays.
  }
}

void PlayerEngine::SetMuted(bool muted) {
  muted_ = muted;
  if (sink_) sink_->setVolume(muted ? 0.0 : 1.0);
}

double PlayerEngine::ClockMs() const {
  if (!playing_) return shown_ >= 0 && source_ ? static_cast<double>(source_->TimeMsOf(shown_)) : 0.0;
  if (sink_ && sink_io_) return static_cast<double>(base_ms_) + static_cast<double>(sink_->processedUSecs()) / 1000.0;
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
  } catch (const std::exception&) {
  }
  if (!first) {
    playing_ = false;
    Q_EMIT ReachedEnd();
    return;
  }
  if (!first->sound.samples.empty() && !sink_) OpenSoundDevice(first->sound);
  if (sink_) {
    sink_io_ = sink_->start();
    if (sink_io_ == nullptr || sink_->error() != QAudio::NoError) {
      sink_.reset();  // no usable device: the system clock leads
      sink_io_ = nullptr;
    }
  }
  QueueSound(first->sound);
  pending_.push_back(std::move(*first));
  wall_.start();
  timer_.start();
  Tick();
}

void PlayerEngine::Tick() {
  if (!playing_ || !feed_) return;
  try {
    while (pending_.size() < kFramesAhead) {
      std::optional<graphs::PlaybackFrame> next = feed_->TryNext();
      if (!next) break;
      QueueSound(next->sound);
      pending_.push_back(std::move(*next));
    }
  } catch (const std::exception&) {
    // The file became unreadable: play what was decoded, then end.
  }
  WriteSound();
  if (sink_ && sink_->error() != QAudio::NoError && sink_->error() != QAudio::UnderrunError) {
    // The device went away: carry on from here on the system clock.
    base_ms_ = static_cast<std::int64_t>(ClockMs());
    sink_.reset();
    sink_io_ = nullptr;
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
  } catch (const std::exception&) {
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

void PlayerEngine::OpenSoundDevice(const graphs::PcmChunk& format) {
  const QAudioDevice device = QMediaDevices::defaultAudioOutput();
  if (device.isNull() || format.sample_rate <= 0 || format.channels <= 0) return;
  QAudioFormat wanted;
  wanted.setSampleRate(format.sample_rate);
  sound_channels_ = std::min(format.channels, 2);
  wanted.setChannelCount(sound_channels_);
  wanted.setSampleFormat(QAudioFormat::Int16);
  if (!device.isFormatSupported(wanted)) return;
  sink_ = std::make_unique<QAudioSink>(device, wanted);
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

void PlayerEngine::StopSound() {
  if (sink_) sink_->stop();
  sink_io_ = nullptr;
  sound_queue_.clear();
}

}  // namespace korvid::ui
