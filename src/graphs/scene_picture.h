#pragma once
// One DV frame as a small still: decoded, its first field alone (a still
// made of both fields would comb wherever something moved; DV sends the
// bottom field first), the 704 active columns scaled to square pixels at
// the frame's display shape.

#include <QImage>

#include <cstdint>
#include <span>
#include <string>

#include "graphs/dv_picture_decoder.h"
#include "graphs/ffmpeg_ptr.h"

namespace korvid::graphs {

// Columns of a still `height` lines high: 4:3 or 16:9, even.
int StillWidth(int height, bool wide);

// The filter chain, in FFmpeg's filter language, that makes the same still
// from a decoded DV picture: for comparing with FFmpeg's own tools.
std::string StillChain(int height, bool wide);

class ScenePictureMaker {
 public:
  explicit ScenePictureMaker(int height);

  // The still of a whole DV frame, in Format_RGB32; a null image when the
  // frame does not decode.
  QImage Make(std::span<const std::uint8_t> frame, bool wide);

 private:
  int height_;
  DvPictureDecoder decoder_;
  FramePtr picture_;
  SwsPtr scaler_;
  int scalerWidth_ = 0;
  int scalerFormat_ = -1;
  int scalerSourceHeight_ = 0;
};

}  // namespace korvid::graphs
