#pragma once
// Encodes pictures into DV frames (25 Mbit/s, IEC 61834) with FFmpeg's
// encoder. The frames come out with FFmpeg's own header packs; callers that
// care about timecode and datecode write those packs afterwards.

#include <cstdint>
#include <vector>

#include "media/dv_frame.h"
#include "graphs/ffmpeg_ptr.h"

namespace korvid::graphs {

class DvVideoEncoder {
 public:
  DvVideoEncoder(media::DvSystem system, bool wide);

  // The picture format the encoder takes: 720x576 yuv420p for 625/50,
  // 720x480 yuv411p for 525/60.
  int Width() const { return 720; }
  int Height() const { return system_ == media::DvSystem::k625_50 ? 576 : 480; }
  AVPixelFormat PixelFormat() const;
  media::DvSystem System() const { return system_; }

  // A blank picture in the encoder's format, to be filled by the caller.
  FramePtr NewPicture() const;

  // One picture in, one whole DV frame out (FrameBytes(system) bytes).
  std::vector<std::uint8_t> Encode(const AVFrame& picture);

 private:
  media::DvSystem system_;
  CodecContextPtr context_;
  PacketPtr packet_;
  std::int64_t next_pts_ = 0;
};

}  // namespace korvid::graphs
