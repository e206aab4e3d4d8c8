#pragma once
// A moving picture for sample footage: colour bars that slide one step a
// frame, with the frame number written large so a viewer can tell frames apart.

#include <cstdint>

extern "C" {
#include <libavutil/frame.h>
}

namespace korvid::samples {

// Paints frame `index` into a planar YUV picture (any chroma subsampling).
void PaintTestPattern(AVFrame& picture, std::int64_t index);

}  // namespace korvid::samples
