#include "graphs/picture_converter.h"

namespace korvid::graphs {

QImage PictureConverter::ToImage(const AVFrame& picture) {
  if (picture.width <= 0 || picture.height <= 0) return {};
  // Bicubic, as ffmpeg's own tools convert, so that our pictures match theirs.
  scaler_.reset(sws_getCachedContext(scaler_.release(), picture.width, picture.height,
                                     static_cast<AVPixelFormat>(picture.format), picture.width, picture.height,
                                     AV_PIX_FMT_RGB32, SWS_BICUBIC, nullptr, nullptr, nullptr));
  if (!scaler_) return {};
  QImage image(picture.width, picture.height, QImage::Format_RGB32);
  if (image.isNull()) return {};
  std::uint8_t* const out[4] = {image.bits(), nullptr, nullptr, nullptr};
  const int out_stride[4] = {static_cast<int>(image.bytesPerLine()), 0, 0, 0};
  if (sws_scale(scaler_.get(), picture.data, picture.linesize, 0, picture.height, out, out_stride) != picture.height)
    return {};
  return image;
}

}  // namespace korvid::graphs
