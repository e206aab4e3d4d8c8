#pragma once
// Decodes DV frames into pictures with FFmpeg's decoder, slices spread
// over two threads.

#include <cstdint>
#include <span>

#include "graphs/ffmpeg_ptr.h"

namespace korvid::graphs {

class DvPictureDecoder {
 public:
  DvPictureDecoder();
  // The picture of one whole DV frame; false, leaving `picture` alone,
  // when the decoder refuses the frame.
  bool Decode(std::span<const std::uint8_t> frame, FramePtr& picture);

 private:
  CodecContextPtr context_;
  PacketPtr packet_;
};

}  // namespace korvid::graphs
