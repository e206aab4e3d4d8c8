#pragma once
// Decodes a playback source ahead of the player on a worker thread, into
// a short queue, from a frame the player asks for. Seeking drops what is
// queued and starts again from the new frame; the worker is only ever one
// frame's decoding away from noticing.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <thread>

#include "graphs/bounded_queue.h"
#include "graphs/playback_frame.h"
#include "graphs/playback_source.h"

namespace korvid::graphs {

class PlaybackFeed {
 public:
  // The feed uses `source` alone until it is destroyed; nothing is decoded
  // before the first Seek.
  explicit PlaybackFeed(PlaybackSource& source, std::size_t capacity = 8);
  ~PlaybackFeed();
  PlaybackFeed(const PlaybackFeed&) = delete;
  PlaybackFeed& operator=(const PlaybackFeed&) = delete;

  // Drops what is queued and decodes on from frame k.
  void Seek(std::int64_t k);
  // Stops decoding; Next then gives nothing.
  void Stop();

  // The next frame, waiting for it; nothing after the last frame or once
  // stopped. Rethrows what made the worker fail (an unreadable file).
  std::optional<PlaybackFrame> Next();
  // The next frame when one is ready; never waits. Rethrows as Next.
  std::optional<PlaybackFrame> TryNext();
  // True once the last frame has been taken (or the worker failed).
  bool AtEnd();

 private:
  void Decode(std::int64_t from, BoundedQueue<PlaybackFrame>& queue);
  void RethrowFailure();

  PlaybackSource& source_;
  std::size_t capacity_;
  std::unique_ptr<BoundedQueue<PlaybackFrame>> queue_;
  std::thread worker_;
  std::exception_ptr failure_;  // written by the worker before it closes the queue
};

}  // namespace korvid::graphs
