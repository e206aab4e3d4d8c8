#include "graphs/picture_converter.h"

namespace korvid::graphs {

namespace {

// The scaler wants the old full-range "J" formats as their plain twins
// with the range said apart; given them as they are, it would be rebuilt
// for every picture.
AVPixelFormat PlainTwin(AVPixelFormat format, bool& full_range) {
  switch (format) {
    case AV_PIX_FMT_YUVJ420P: full_range = true; return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P: full_range = true; return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P: full_range = true; return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P: full_range = true; return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P: full_range = true; return AV_PIX_FMT_YUV411P;
    default: return format;
  }
}

}  // namespace

QImage PictureConverter::ToImage(const AVFrame& picture) {
  if (picture.width <= 0 || picture.height <= 0) return {};
  Shape shape{picture.width, picture.height, AV_PIX_FMT_NONE, picture.color_range == AVCOL_RANGE_JPEG};
  shape.format = PlainTwin(static_cast<AVPixelFormat>(picture.format), shape.full_range);
  if (!scaler_ || !(shape == shape_)) {
    // Bicubic, as ffmpeg's own tools convert, so that our pictures match theirs.
    scaler_.reset(sws_getContext(shape.width, shape.height, shape.format, shape.width, shape.height,
                                 AV_PIX_FMT_RGB32, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!scaler_) return {};
    if (shape.full_range) {
      int* in_table = nullptr;
      int* out_table = nullptr;
      int in_full = 0, out_full = 0, brightness = 0, contrast = 0, saturation = 0;
      sws_getColorspaceDetails(scaler_.get(), &in_table, &in_full, &out_table, &out_full, &brightness, &contrast,
                               &saturation);
      sws_setColorspaceDetails(scaler_.get(), in_table, 1, out_table, out_full, brightness, contrast, saturation);
    }
    shape_ = shape;
  }
  QImage image(picture.width, picture.height, QImage::Format_RGB32);
  if (image.isNull()) return {};
  std::uint8_t* const out[4] = {image.bits(), nullptr, nullptr, nullptr};
  const int out_stride[4] = {static_cast<int>(image.bytesPerLine()), 0, 0, 0};
  if (sws_scale(scaler_.get(), picture.data, picture.linesize, 0, picture.height, out, out_stride) != picture.height)
    return {};
  return image;
}

}  // namespace korvid::graphs
