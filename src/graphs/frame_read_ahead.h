#pragma once
// Whole frames of one stream for a scan from its first frame to its last.
// With the file in the page cache, copying the bytes out is most of a
// scan's time; here a second thread reads every other batch of frames
// while the scanning thread reads the batch before it and works through
// both, so two cores share the copying. A frame asked for out of order is
// read alone.

#include <cstddef>
#include <cstdint>
#include <future>
#include <span>
#include <string>
#include <vector>

#include "media/avi_frame_index.h"
#include "media/binary_file.h"

namespace korvid::graphs {

class FrameReadAhead {
 public:
  // Frames are cut to `largest` bytes. Both references outlive this object.
  FrameReadAhead(const media::BinaryFile& file, const media::AviFrameIndex& index, std::size_t stream,
                 std::size_t largest);
  FrameReadAhead(const FrameReadAhead&) = delete;
  FrameReadAhead& operator=(const FrameReadAhead&) = delete;
  // Waits for a batch still being read.
  ~FrameReadAhead();

  // The bytes of frame k, valid until the next call. Throws media::FileError
  // as a read of that frame would, std::out_of_range past the last frame.
  std::span<const std::uint8_t> Frame(std::size_t k);

 private:
  struct Batch {
    std::size_t first = 0;
    std::size_t count = 0;  // 0: holds nothing
    std::vector<std::uint8_t> bytes;
    std::vector<std::size_t> starts;  // count + 1 offsets into bytes
    std::vector<std::size_t> got;     // bytes read of each frame
    std::vector<std::string> errors;  // empty, or why the frame's read failed
    bool Holds(std::size_t k) const { return k >= first && k < first + count; }
  };

  void Fill(Batch& batch, std::size_t first, std::size_t count) const;
  std::span<const std::uint8_t> Slot(const Batch& batch, std::size_t k) const;
  void StartAhead(std::size_t first);
  void SettleAhead() noexcept;

  const media::BinaryFile& file_;
  const media::AviFrameIndex& index_;
  std::size_t stream_;
  std::size_t largest_;
  std::size_t frames_;
  Batch current_;
  Batch ahead_;
  Batch single_;
  std::future<void> pending_;  // filling ahead_
};

}  // namespace korvid::graphs
