#pragma once
// Turning FFmpeg's negative results into conversion errors the user reads.

#include <string>

#include "graphs/conversion_job.h"
#include "graphs/ffmpeg_ptr.h"

namespace korvid::graphs {

// Throws ConversionError "cannot <what>: <FFmpeg's reason>" when `result`
// is an FFmpeg error.
inline void CheckAv(int result, const char* what) {
  if (result < 0) throw ConversionError(std::string("cannot ") + what + ": " + AvErrorText(result));
}

}  // namespace korvid::graphs
