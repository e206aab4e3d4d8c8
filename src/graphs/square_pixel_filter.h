#pragma once
// The DV picture made ready for today's screens: deinterlaced field by
// field (bottom field first, one output picture per field, so motion keeps
// its 50 or 59.94 steps a second), the active picture scaled to square
// pixels at its display shape, in 4:2:0.
//
// The active picture is the middle 704 of the 720 columns: the edges are
// blanking. Its display shape is 4:3 or 16:9, so the square-pixel widths
// are 768 and 1024 for 576 lines and 640 and 854 (853.3 rounded to an even
// width, as 4:2:0 needs) for 480 lines.

#include <string>

#include "media/avi_stream.h"
#include "media/dv_frame.h"
#include "graphs/ffmpeg_ptr.h"

namespace korvid::graphs {

struct PictureSize {
  int width = 0;
  int height = 0;
};

// One DV frame's duration and the DV picture's height in `system`.
inline AVRational DvFrameTime(media::DvSystem system) {
  const media::FrameRate rate = media::DvFrameRate(system);
  return AVRational{static_cast<int>(rate.scale), static_cast<int>(rate.rate)};
}
inline int DvPictureLines(media::DvSystem system) { return system == media::DvSystem::k625_50 ? 576 : 480; }

PictureSize SquarePixelSize(media::DvSystem system, bool wide);

// The filter chain as FFmpeg's filter language writes it, for DV pictures
// of `system`.
std::string SquarePixelChain(media::DvSystem system, bool wide);

class SquarePixelFilter {
 public:
  // Pictures come in as the DV decoder gives them (`format`), one per
  // frame, with their frame number as pts. Throws ConversionError.
  SquarePixelFilter(media::DvSystem system, bool wide, AVPixelFormat format);

  // Hands over a picture; nullptr ends the input.
  void Push(AVFrame* picture);
  // The next picture out, its pts in TimeBase(); false when none is ready.
  bool Pull(AVFrame& out);

  AVRational TimeBase() const;
  AVRational FrameRate() const;
  PictureSize Size() const { return size_; }

 private:
  FilterGraphPtr graph_;
  AVFilterContext* source_ = nullptr;
  AVFilterContext* sink_ = nullptr;
  PictureSize size_;
};

}  // namespace korvid::graphs
