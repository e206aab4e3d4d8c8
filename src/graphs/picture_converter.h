#pragma once
// Turns decoded pictures into images a widget can paint, keeping the
// scaler while the picture's size and format stay the same.

#include <QImage>

#include "graphs/ffmpeg_ptr.h"

namespace korvid::graphs {

class PictureConverter {
 public:
  // The picture as Format_RGB32, same size; a null image when the picture
  // has no size or format the scaler takes.
  QImage ToImage(const AVFrame& picture);

 private:
  struct Shape {
    int width = 0;
    int height = 0;
    AVPixelFormat format = AV_PIX_FMT_NONE;
    bool full_range = false;
    friend bool operator==(const Shape&, const Shape&) = default;
  };

  SwsPtr scaler_;
  Shape shape_;
};

}  // namespace korvid::graphs
