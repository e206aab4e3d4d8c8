#include "graphs/dv_video_encoder.h"

namespace korvid::graphs {

DvVideoEncoder::DvVideoEncoder(media::DvSystem system, bool wide) : system_(system), packet_(AllocPacket()) {
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_DVVIDEO);
  if (codec == nullptr) throw MediaError("this FFmpeg has no DV encoder");
  context_.reset(avcodec_alloc_context3(codec));
  if (!context_) throw MediaError("out of memory for the DV encoder");
  context_->width = Width();
  context_->height = Height();
  context_->pix_fmt = PixelFormat();
  const bool pal = system == media::DvSystem::k625_50;
  context_->time_base = pal ? AVRational{1, 25} : AVRational{1001, 30000};
  context_->framerate = pal ? AVRational{25, 1} : AVRational{30000, 1001};
  // The encoder marks 16:9 in its VAUX from the sample aspect ratio.
  context_->sample_aspect_ratio = wide ? (pal ? AVRational{64, 45} : AVRational{32, 27})
                                       : (pal ? AVRational{16, 15} : AVRational{8, 9});
  context_->field_order = AV_FIELD_BB;
  context_->flags |= AV_CODEC_FLAG_INTERLACED_DCT;
  // The encoder splits a frame into independent slices: one a core.
  context_->thread_count = 0;
  context_->thread_type = FF_THREAD_SLICE;
  if (const int rc = avcodec_open2(context_.get(), codec, nullptr); rc < 0)
    throw MediaError("cannot open the DV encoder: " + AvErrorText(rc));
}

AVPixelFormat DvVideoEncoder::PixelFormat() const {
  return system_ == media::DvSystem::k625_50 ? AV_PIX_FMT_YUV420P : AV_PIX_FMT_YUV411P;
}

FramePtr DvVideoEncoder::NewPicture() const {
  FramePtr picture = AllocFrame();
  picture->width = Width();
  picture->height = Height();
  picture->format = PixelFormat();
  if (av_frame_get_buffer(picture.get(), 0) < 0) throw MediaError("out of memory for a picture");
  return picture;
}

std::vector<std::uint8_t> DvVideoEncoder::Encode(const AVFrame& picture) {
  if (picture.width != Width() || picture.height != Height() || picture.format != PixelFormat())
    throw MediaError("picture does not match the DV encoder's format");
  FramePtr frame = AllocFrame();
  if (av_frame_ref(frame.get(), &picture) < 0) throw MediaError("out of memory for a picture");
  frame->pts = next_pts_++;
  if (const int rc = avcodec_send_frame(context_.get(), frame.get()); rc < 0)
    throw MediaError("DV encoder refused a picture: " + AvErrorText(rc));
  const int rc = avcodec_receive_packet(context_.get(), packet_.get());
  if (rc < 0) throw MediaError("DV encoder gave no frame: " + AvErrorText(rc));
  std::vector<std::uint8_t> out(packet_->data, packet_->data + packet_->size);
  av_packet_unref(packet_.get());
  if (out.size() != media::FrameBytes(system_)) throw MediaError("DV encoder gave a frame of unexpected size");
  return out;
}

}  // namespace korvid::graphs
