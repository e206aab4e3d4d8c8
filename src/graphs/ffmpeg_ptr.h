#pragma once
// Owning pointers for the FFmpeg objects we create, so that every early
// return or exception frees them.

#include <memory>
#include <stdexcept>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include "resources/user_error.h"

namespace korvid::graphs {

struct CodecContextDeleter {
  void operator()(AVCodecContext* p) const noexcept { avcodec_free_context(&p); }
};
struct FrameDeleter {
  void operator()(AVFrame* p) const noexcept { av_frame_free(&p); }
};
struct PacketDeleter {
  void operator()(AVPacket* p) const noexcept { av_packet_free(&p); }
};
struct InputFormatDeleter {
  void operator()(AVFormatContext* p) const noexcept { avformat_close_input(&p); }
};
// An output context owns the file it opened.
struct OutputFormatDeleter {
  void operator()(AVFormatContext* p) const noexcept {
    if (p != nullptr && p->oformat != nullptr && (p->oformat->flags & AVFMT_NOFILE) == 0) avio_closep(&p->pb);
    avformat_free_context(p);
  }
};
struct FilterGraphDeleter {
  void operator()(AVFilterGraph* p) const noexcept { avfilter_graph_free(&p); }
};
struct SwsDeleter {
  void operator()(SwsContext* p) const noexcept { sws_freeContext(p); }
};
struct SwrDeleter {
  void operator()(SwrContext* p) const noexcept { swr_free(&p); }
};

using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using InputFormatPtr = std::unique_ptr<AVFormatContext, InputFormatDeleter>;
using OutputFormatPtr = std::unique_ptr<AVFormatContext, OutputFormatDeleter>;
using FilterGraphPtr = std::unique_ptr<AVFilterGraph, FilterGraphDeleter>;
using SwsPtr = std::unique_ptr<SwsContext, SwsDeleter>;
using SwrPtr = std::unique_ptr<SwrContext, SwrDeleter>;

class MediaError : public UserError {
 public:
  using UserError::UserError;
};

// FFmpeg's own wording of an error code, for messages.
inline std::string AvErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

inline FramePtr AllocFrame() {
  FramePtr frame(av_frame_alloc());
  if (!frame) throw MediaError("out of memory for a picture");
  return frame;
}

inline PacketPtr AllocPacket() {
  PacketPtr packet(av_packet_alloc());
  if (!packet) throw MediaError("out of memory for a packet");
  return packet;
}

}  // namespace korvid::graphs
