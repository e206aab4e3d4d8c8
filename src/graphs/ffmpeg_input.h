#pragma once
// FFmpeg's side of reading a media file: opening it, choosing its stream
// and opening that stream's decoder.

#include <filesystem>

#include "graphs/conversion_job.h"
#include "graphs/ffmpeg_ptr.h"

namespace korvid::graphs {

// This FFmpeg has no decoder for the stream's codec.
class NoDecoderError : public ConversionError {
 public:
  using ConversionError::ConversionError;
};

// Opens a media file with FFmpeg and reads its streams; throws ConversionError.
InputFormatPtr OpenMediaFile(const std::filesystem::path& path);

// Throws NoDecoderError, or ConversionError when the decoder will not open.
CodecContextPtr OpenDecoder(const AVStream& stream, int threads);

// The stream numbered `avi_stream` (FFmpeg numbers an AVI file's streams as
// the file does) when it is of `type`, else FFmpeg's best stream of that
// type; every other stream is discarded. -1 when the file has none.
int KeepOnlyStream(AVFormatContext& format, std::size_t avi_stream, AVMediaType type);

// Reads packets of `stream` into `decoder` until it hands out the next
// decoded frame into `out` (true) or has nothing more (false). `sent_end`
// remembers that the file's end was passed on to the decoder.
bool DecodeNextFrame(AVFormatContext& format, AVCodecContext& decoder, AVPacket& packet, int stream,
                     bool& sent_end, AVFrame& out);

}  // namespace korvid::graphs
