#include "graphs/ffmpeg_picture_reader.h"

#include <string>

#include "graphs/ffmpeg_input.h"

namespace korvid::graphs {

namespace {
// Further ahead than this, seeking to a key frame beats decoding on.
constexpr std::int64_t kDecodeOnLimit = 12;
}  // namespace

FfmpegPictureReader::FfmpegPictureReader(const std::filesystem::path& path, std::size_t avi_stream)
    : format_(OpenMediaFile(path)), packet_(AllocPacket()) {
  stream_ = KeepOnlyStream(*format_, avi_stream, AVMEDIA_TYPE_VIDEO);
  if (stream_ < 0) throw ConversionError("FFmpeg finds no picture in " + path.string());
  decoder_ = OpenDecoder(*format_->streams[stream_], 2);
}

std::int64_t FfmpegPictureReader::FrameNumberOf(const AVFrame& picture) {
  // In AVI the stream's time base is its frame duration: times count frames.
  const std::int64_t pts = picture.best_effort_timestamp;
  const std::int64_t start = format_->streams[stream_]->start_time;
  if (pts == AV_NOPTS_VALUE) return last_number_ + 1;
  return start == AV_NOPTS_VALUE ? pts : pts - start;
}

void FfmpegPictureReader::SeekTo(std::int64_t k) {
  av_seek_frame(format_.get(), stream_, k, AVSEEK_FLAG_BACKWARD);
  avcodec_flush_buffers(decoder_.get());
  current_.reset();
  lookahead_.reset();
  current_number_ = lookahead_number_ = last_number_ = -1;
  at_end_ = sent_end_ = false;
}

bool FfmpegPictureReader::DecodeNext(FramePtr& out) {
  FramePtr picture = AllocFrame();
  if (!DecodeNextFrame(*format_, *decoder_, *packet_, stream_, sent_end_, *picture)) return false;
  last_number_ = FrameNumberOf(*picture);
  out = std::move(picture);
  return true;
}

const AVFrame* FfmpegPictureReader::Picture(std::int64_t k) {
  const bool nothing_yet = !current_ && !lookahead_;
  const std::int64_t reached = lookahead_ ? lookahead_number_ : current_number_;
  if (nothing_yet || k < current_number_ || k > reached + kDecodeOnLimit) SeekTo(k);
  if (lookahead_ && lookahead_number_ <= k) {
    current_ = std::move(lookahead_);
    current_number_ = lookahead_number_;
  }
  while (!lookahead_ && !at_end_) {
    FramePtr picture;
    if (!DecodeNext(picture)) {
      at_end_ = true;
      break;
    }
    if (last_number_ <= k) {
      current_ = std::move(picture);
      current_number_ = last_number_;
    } else {
      lookahead_ = std::move(picture);
      lookahead_number_ = last_number_;
    }
  }
  // A seek that lands past k (no key frame before it) shows the first picture.
  if (current_) return current_.get();
  return lookahead_.get();
}

}  // namespace korvid::graphs
