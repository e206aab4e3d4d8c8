#pragma once
// Turns decoded pictures into images a widget can paint, keeping the
// scaler between calls while the picture format stays the same.

#include <QImage>

#include "media/ffmpeg_ptr.h"

namespace korvid::graphs {

class PictureConverter {
 public:
  // The picture as Format_RGB32, same size; a null image when the picture
  // has no size or format the scaler takes.
  QImage ToImage(const AVFrame& picture);

 private:
  media::SwsPtr scaler_;
};

}  // namespace korvid::graphs
