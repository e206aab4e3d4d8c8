#include "graphs/playback_feed.h"

#include <algorithm>

namespace korvid::graphs {

PlaybackFeed::PlaybackFeed(PlaybackSource& source, std::size_t capacity) : source_(source), capacity_(capacity) {}

PlaybackFeed::~PlaybackFeed() { Stop(); }

void PlaybackFeed::Stop() {
  if (queue_) queue_->Close();
  if (worker_.joinable()) worker_.join();
}

void PlaybackFeed::Seek(std::int64_t k) {
  Stop();
  failure_ = nullptr;
  queue_ = std::make_unique<BoundedQueue<PlaybackFrame>>(capacity_);
  worker_ = std::thread([this, k, queue = queue_.get()] { Decode(k, *queue); });
}

void PlaybackFeed::Decode(std::int64_t from, BoundedQueue<PlaybackFrame>& queue) {
  try {
    for (std::int64_t k = std::max<std::int64_t>(from, 0); k < source_.FrameCount(); ++k)
      if (!queue.Push(source_.Read(k))) break;
  } catch (...) {
    failure_ = std::current_exception();
  }
  queue.Close();
}

void PlaybackFeed::RethrowFailure() {
  if (queue_ && queue_->Drained() && failure_) std::rethrow_exception(failure_);
}

std::optional<PlaybackFrame> PlaybackFeed::Next() {
  if (!queue_) return std::nullopt;
  std::optional<PlaybackFrame> frame = queue_->Pop();
  if (!frame) RethrowFailure();
  return frame;
}

std::optional<PlaybackFrame> PlaybackFeed::TryNext() {
  if (!queue_) return std::nullopt;
  std::optional<PlaybackFrame> frame = queue_->TryPop();
  if (!frame) RethrowFailure();
  return frame;
}

bool PlaybackFeed::AtEnd() { return !queue_ || queue_->Drained(); }

}  // namespace korvid::graphs
