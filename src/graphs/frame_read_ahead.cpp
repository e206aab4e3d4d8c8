#include "graphs/frame_read_ahead.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace korvid::graphs {
namespace {

// About 9 MiB of PAL frames: large enough that starting the reader thread
// costs nothing against its reads, small enough to stay near the cache.
constexpr std::size_t kBatchFrames = 64;

}  // namespace

FrameReadAhead::FrameReadAhead(const media::BinaryFile& file, const media::AviFrameIndex& index, std::size_t stream,
                               std::size_t largest)
    : file_(file), index_(index), stream_(stream), largest_(largest), frames_(index.FramesOf(stream).size()) {}

FrameReadAhead::~FrameReadAhead() { SettleAhead(); }

void FrameReadAhead::Fill(Batch& batch, std::size_t first, std::size_t count) const {
  const std::span<const media::FrameLocation> frames = index_.FramesOf(stream_);
  batch.first = first;
  batch.count = 0;
  batch.starts.assign(1, 0);
  for (std::size_t k = first; k < first + count; ++k)
    batch.starts.push_back(batch.starts.back() + std::min<std::size_t>(frames[k].size, largest_));
  batch.bytes.resize(batch.starts.back());
  batch.got.assign(count, 0);
  batch.errors.assign(count, {});
  for (std::size_t i = 0; i < count; ++i) {
    const std::span<std::uint8_t> slot(batch.bytes.data() + batch.starts[i], batch.starts[i + 1] - batch.starts[i]);
    try {
      batch.got[i] = index_.ReadFrameStart(file_, stream_, first + i, slot);
    } catch (const media::FileError& error) {
      batch.errors[i] = error.what();
    }
  }
  batch.count = count;
}

std::span<const std::uint8_t> FrameReadAhead::Slot(const Batch& batch, std::size_t k) const {
  const std::size_t i = k - batch.first;
  if (!batch.errors[i].empty()) throw media::FileError(batch.errors[i]);
  return {batch.bytes.data() + batch.starts[i], batch.got[i]};
}

void FrameReadAhead::StartAhead(std::size_t first) {
  if (first >= frames_) return;
  const std::size_t count = std::min(kBatchFrames, frames_ - first);
  ahead_.count = 0;
  pending_ = std::async(std::launch::async, [this, first, count] { Fill(ahead_, first, count); });
}

void FrameReadAhead::SettleAhead() noexcept {
  if (!pending_.valid()) return;
  try {
    pending_.get();
  } catch (...) {
    ahead_.count = 0;  // read again, on this thread, if it is asked for
  }
}

std::span<const std::uint8_t> FrameReadAhead::Frame(std::size_t k) {
  if (k >= frames_) throw std::out_of_range("there is no frame " + std::to_string(k));
  if (current_.Holds(k)) return Slot(current_, k);
  const std::size_t next = current_.first + current_.count;
  if (current_.count > 0 && k == next) {
    SettleAhead();
    if (ahead_.Holds(k)) {
      // The reader thread's batch; the one after it is read here.
      std::swap(current_, ahead_);
      return Slot(current_, k);
    }
  }
  if (k != 0 && !(current_.count > 0 && k == next)) {
    // Out of order: this frame alone, and the batches stay as they are.
    Fill(single_, k, 1);
    return Slot(single_, k);
  }
  // In order: this batch here while the thread reads the next.
  SettleAhead();
  const std::size_t count = std::min(kBatchFrames, frames_ - k);
  StartAhead(k + count);
  Fill(current_, k, count);
  return Slot(current_, k);
}

}  // namespace korvid::graphs
