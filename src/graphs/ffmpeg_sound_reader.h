#pragma once
// The sound of an AVI stream that is not plain PCM, decoded by FFmpeg into
// interleaved 16-bit samples at the stream's own rate and channel count,
// reached by sample position: reading on only decodes, a jump seeks.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "graphs/ffmpeg_ptr.h"

namespace korvid::graphs {

class FfmpegSoundReader {
 public:
  // Throws NoDecoderError when this FFmpeg cannot decode the stream,
  // ConversionError when FFmpeg cannot read it.
  FfmpegSoundReader(const std::filesystem::path& path, std::size_t avi_stream);

  int SampleRate() const { return rate_; }
  int Channels() const { return channels_; }
  // Sample frames in the stream, as its header tells; 0 when unknown.
  std::uint64_t TotalFrames() const { return total_; }

  // Appends sample frames [start, start + count) to `out`, silence where
  // the stream has none.
  void Read(std::uint64_t start, std::size_t count, std::vector<std::int16_t>& out);

 private:
  void SeekTo(std::uint64_t start);
  // Decodes one more piece onto the buffer; false at the end of the stream.
  bool DecodeMore();
  std::size_t Samples(std::uint64_t frames) const { return static_cast<std::size_t>(frames) * static_cast<std::size_t>(channels_); }

  InputFormatPtr format_;
  int stream_ = -1;
  CodecContextPtr decoder_;
  SwrPtr converter_;
  PacketPtr packet_;
  FramePtr decoded_;
  int rate_ = 0;
  int channels_ = 0;
  std::uint64_t total_ = 0;
  std::vector<std::int16_t> buffer_;  // decoded, from buffer_start_ on
  std::uint64_t buffer_start_ = 0;
  bool placed_ = false;  // whether buffer_start_ is known since the last seek
  bool fresh_ = true;    // nothing decoded yet: reading from 0 needs no seek
  bool at_end_ = false;
  bool sent_end_ = false;
};

}  // namespace korvid::graphs
