#include "test_pattern.h"

#include <algorithm>
#include <array>
#include <string>

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace korvid::samples {
namespace {

struct Yuv {
  std::uint8_t y, u, v;
};

// 75% colour bars in video range.
constexpr std::array<Yuv, 8> kBars = {{{180, 128, 128}, {162, 44, 142}, {131, 156, 44}, {112, 72, 58},
                                       {84, 184, 198}, {65, 100, 212}, {35, 212, 114}, {16, 128, 128}}};

// 5x7 digits, one row per byte, bit 4 = leftmost column.
constexpr std::array<std::array<std::uint8_t, 7>, 10> kDigits = {{
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},
}};

void PaintBars(AVFrame& picture, std::int64_t index, int chroma_w_shift, int chroma_h_shift) {
  const int bar_width = (picture.width + 7) / 8;
  const int offset = static_cast<int>((index * 4) % picture.width);
  for (int y = 0; y < picture.height; ++y) {
    std::uint8_t* row = picture.data[0] + static_cast<std::ptrdiff_t>(y) * picture.linesize[0];
    for (int x = 0; x < picture.width; ++x) row[x] = kBars[static_cast<std::size_t>(((x + offset) % picture.width) / bar_width)].y;
  }
  const int cw = AV_CEIL_RSHIFT(picture.width, chroma_w_shift);
  const int ch = AV_CEIL_RSHIFT(picture.height, chroma_h_shift);
  for (int y = 0; y < ch; ++y) {
    std::uint8_t* u = picture.data[1] + static_cast<std::ptrdiff_t>(y) * picture.linesize[1];
    std::uint8_t* v = picture.data[2] + static_cast<std::ptrdiff_t>(y) * picture.linesize[2];
    for (int x = 0; x < cw; ++x) {
      const int luma_x = ((x << chroma_w_shift) + offset) % picture.width;
      const Yuv& bar = kBars[static_cast<std::size_t>(luma_x / bar_width)];
      u[x] = bar.u;
      v[x] = bar.v;
    }
  }
}

void PaintNumber(AVFrame& picture, std::int64_t index) {
  const std::string text = std::to_string(index);
  const int scale = std::max(4, picture.height / 60);
  const int left = picture.width / 10;
  const int top = picture.height / 3;
  // A dark box behind the digits keeps them readable on any bar.
  const int box_w = static_cast<int>(text.size()) * 6 * scale + 2 * scale;
  const int box_h = 9 * scale;
  for (int y = top - scale; y < std::min(picture.height, top - scale + box_h); ++y) {
    std::uint8_t* row = picture.data[0] + static_cast<std::ptrdiff_t>(y) * picture.linesize[0];
    for (int x = left - scale; x < std::min(picture.width, left - scale + box_w); ++x) row[x] = 16;
  }
  for (std::size_t c = 0; c < text.size(); ++c) {
    const auto& glyph = kDigits[static_cast<std::size_t>(text[c] - '0')];
    for (int gy = 0; gy < 7; ++gy) {
      for (int gx = 0; gx < 5; ++gx) {
        if ((glyph[static_cast<std::size_t>(gy)] & (0x10 >> gx)) == 0) continue;
        for (int dy = 0; dy < scale; ++dy) {
          const int y = top + gy * scale + dy;
          if (y >= picture.height) continue;
          std::uint8_t* row = picture.data[0] + static_cast<std::ptrdiff_t>(y) * picture.linesize[0];
          for (int dx = 0; dx < scale; ++dx) {
            const int x = left + (static_cast<int>(c) * 6 + gx) * scale + dx;
            if (x < picture.width) row[x] = 235;
          }
        }
      }
    }
  }
}

}  // namespace

void PaintTestPattern(AVFrame& picture, std::int64_t index) {
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(picture.format));
  if (desc == nullptr || (desc->flags & AV_PIX_FMT_FLAG_PLANAR) == 0 || desc->nb_components < 3) return;
  PaintBars(picture, index < 0 ? 0 : index, desc->log2_chroma_w, desc->log2_chroma_h);
  PaintNumber(picture, index < 0 ? 0 : index);
}

}  // namespace korvid::samples
