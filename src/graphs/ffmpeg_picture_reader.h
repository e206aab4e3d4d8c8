#pragma once
// Pictures of an AVI video stream by frame number, read and decoded by
// FFmpeg: for codecs other than DV, whose frames may lean on earlier ones.
// Going on frame by frame only decodes; any other move seeks to the key
// frame before and decodes forward from there.

#include <cstdint>
#include <filesystem>

#include "graphs/ffmpeg_ptr.h"

namespace korvid::graphs {

class FfmpegPictureReader {
 public:
  // Throws NoDecoderError when this FFmpeg cannot decode the stream's codec,
  // ConversionError when FFmpeg cannot read the file or find the stream.
  FfmpegPictureReader(const std::filesystem::path& path, std::size_t avi_stream);

  // The picture shown at frame k: the last one that starts at or before
  // it. Null when the stream has nothing decodable there. Valid until the
  // next call.
  const AVFrame* Picture(std::int64_t k);

 private:
  void SeekTo(std::int64_t k);
  // The next decoded picture into `out`; false at the end of the stream.
  bool DecodeNext(FramePtr& out);
  std::int64_t FrameNumberOf(const AVFrame& picture);

  InputFormatPtr format_;
  int stream_ = -1;
  CodecContextPtr decoder_;
  PacketPtr packet_;
  FramePtr current_;    // the last picture at or before the request
  FramePtr lookahead_;  // a picture decoded past it, kept for later
  std::int64_t current_number_ = -1;
  std::int64_t lookahead_number_ = -1;
  std::int64_t last_number_ = -1;  // of the last picture decoded
  bool at_end_ = false;
  bool sent_end_ = false;
};

}  // namespace korvid::graphs
