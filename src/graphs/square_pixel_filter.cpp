#include "graphs/square_pixel_filter.h"

#include <cstdio>

#include "graphs/av_check.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
}

namespace korvid::graphs {

namespace {

constexpr int kDvWidth = 720;
constexpr int kActiveWidth = 704;

bool IsPal(media::DvSystem system) { return system == media::DvSystem::k625_50; }

}  // namespace

PictureSize SquarePixelSize(media::DvSystem system, bool wide) {
  if (IsPal(system)) return {wide ? 1024 : 768, 576};
  return {wide ? 854 : 640, 480};
}

std::string SquarePixelChain(media::DvSystem system, bool wide) {
  const PictureSize size = SquarePixelSize(system, wide);
  char chain[256];
  std::snprintf(chain, sizeof chain,
                "bwdif=mode=send_field:parity=bff:deint=all,crop=%d:%d:%d:0,scale=%d:%d:flags=bicubic,"
                "format=yuv420p,setsar=1",
                kActiveWidth, DvPictureLines(system), (kDvWidth - kActiveWidth) / 2, size.width, size.height);
  return chain;
}

SquarePixelFilter::SquarePixelFilter(media::DvSystem system, bool wide, AVPixelFormat format)
    : graph_(avfilter_graph_alloc()), size_(SquarePixelSize(system, wide)) {
  if (!graph_) throw ConversionError("out of memory for the picture filters");
  const AVRational frame = DvFrameTime(system);
  char args[256];
  std::snprintf(args, sizeof args, "video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:frame_rate=%d/%d:pixel_aspect=1/1",
                kDvWidth, DvPictureLines(system), static_cast<int>(format), frame.num, frame.den, frame.den, frame.num);
  CheckAv(avfilter_graph_create_filter(&source_, avfilter_get_by_name("buffer"), "in", args, nullptr, graph_.get()),
        "set up the picture filters");
  CheckAv(avfilter_graph_create_filter(&sink_, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr,
                                     graph_.get()),
        "set up the picture filters");

  AVFilterInOut* outputs = avfilter_inout_alloc();
  AVFilterInOut* inputs = avfilter_inout_alloc();
  if (outputs == nullptr || inputs == nullptr) {
    avfilter_inout_free(&outputs);
    avfilter_inout_free(&inputs);
    throw ConversionError("out of memory for the picture filters");
  }
  outputs->name = av_strdup("in");
  outputs->filter_ctx = source_;
  inputs->name = av_strdup("out");
  inputs->filter_ctx = sink_;
  const int parsed =
      avfilter_graph_parse_ptr(graph_.get(), SquarePixelChain(system, wide).c_str(), &inputs, &outputs, nullptr);
  avfilter_inout_free(&outputs);
  avfilter_inout_free(&inputs);
  CheckAv(parsed, "set up the picture filters");
  CheckAv(avfilter_graph_config(graph_.get(), nullptr), "set up the picture filters");
}

void SquarePixelFilter::Push(AVFrame* picture) {
  CheckAv(av_buffersrc_add_frame_flags(source_, picture, AV_BUFFERSRC_FLAG_KEEP_REF), "filter a picture");
}

bool SquarePixelFilter::Pull(AVFrame& out) {
  const int got = av_buffersink_get_frame(sink_, &out);
  if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return false;
  CheckAv(got, "filter a picture");
  return true;
}

AVRational SquarePixelFilter::TimeBase() const { return av_buffersink_get_time_base(sink_); }
AVRational SquarePixelFilter::FrameRate() const { return av_buffersink_get_frame_rate(sink_); }

}  // namespace korvid::graphs
