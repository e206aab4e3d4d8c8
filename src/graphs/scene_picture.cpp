#include "graphs/scene_picture.h"

#include <cstdio>

extern "C" {
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace korvid::graphs {
namespace {

constexpr int kDvWidth = 720;
constexpr int kActiveWidth = 704;
constexpr int kActiveLeft = (kDvWidth - kActiveWidth) / 2;

}  // namespace

int StillWidth(int height, bool wide) {
  const int width = wide ? (height * 16 + 4) / 9 : (height * 4 + 1) / 3;
  return width + (width % 2);
}

std::string StillChain(int height, bool wide) {
  char chain[160];
  std::snprintf(chain, sizeof chain, "field=type=bottom,crop=%d:ih:%d:0,scale=%d:%d:flags=bicubic", kActiveWidth,
                kActiveLeft, StillWidth(height, wide), height);
  return chain;
}

ScenePictureMaker::ScenePictureMaker(int height) : height_(height) {}

QImage ScenePictureMaker::Make(std::span<const std::uint8_t> frame, bool wide) {
  if (!decoder_.Decode(frame, picture_)) return {};
  const AVFrame& picture = *picture_;
  const auto format = static_cast<AVPixelFormat>(picture.format);
  const AVPixFmtDescriptor* described = av_pix_fmt_desc_get(format);
  if (described == nullptr || picture.width != kDvWidth || picture.height < 2 || picture.data[0] == nullptr)
    return {};

  // The bottom field, its blanking columns cut, as plane pointers and
  // strides: every other line, from the second.
  const std::uint8_t* planes[4] = {};
  int strides[4] = {};
  for (int p = 0; p < 4 && picture.data[p] != nullptr; ++p) {
    const int shift = p == 0 ? 0 : described->log2_chroma_w;
    planes[p] = picture.data[p] + picture.linesize[p] + (kActiveLeft >> shift);
    strides[p] = picture.linesize[p] * 2;
  }
  const int field_lines = picture.height / 2;
  const int width = StillWidth(height_, wide);
  if (!scaler_ || scalerWidth_ != width || scalerFormat_ != picture.format || scalerSourceHeight_ != field_lines) {
    // Bicubic, as FFmpeg's tools scale by default, so that stills match theirs.
    scaler_.reset(sws_getContext(kActiveWidth, field_lines, format, width, height_, AV_PIX_FMT_RGB32, SWS_BICUBIC,
                                 nullptr, nullptr, nullptr));
    if (!scaler_) return {};
    scalerWidth_ = width;
    scalerFormat_ = picture.format;
    scalerSourceHeight_ = field_lines;
  }
  QImage still(width, height_, QImage::Format_RGB32);
  if (still.isNull()) return {};
  std::uint8_t* const out[4] = {still.bits(), nullptr, nullptr, nullptr};
  const int out_strides[4] = {static_cast<int>(still.bytesPerLine()), 0, 0, 0};
  if (sws_scale(scaler_.get(), planes, strides, 0, field_lines, out, out_strides) != height_) return {};
  return still;
}

}  // namespace korvid::graphs
