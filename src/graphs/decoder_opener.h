#pragma once
// Opens FFmpeg's decoder for a stream of a file FFmpeg has opened.

#include "graphs/conversion_job.h"
#include "media/ffmpeg_ptr.h"

namespace korvid::graphs {

// This FFmpeg has no decoder for the stream's codec.
class NoDecoderError : public ConversionError {
 public:
  using ConversionError::ConversionError;
};

// Throws NoDecoderError, or ConversionError when the decoder will not open.
media::CodecContextPtr OpenDecoder(const AVStream& stream, int threads);

}  // namespace korvid::graphs
