#include "graphs/dv_picture_decoder.h"

#include <cstring>

namespace korvid::graphs {

DvPictureDecoder::DvPictureDecoder() : packet_(AllocPacket()) {
  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_DVVIDEO);
  if (codec == nullptr) throw MediaError("this FFmpeg has no DV decoder");
  context_.reset(avcodec_alloc_context3(codec));
  if (!context_) throw MediaError("out of memory for the DV decoder");
  context_->thread_count = 2;
  context_->thread_type = FF_THREAD_SLICE;
  if (const int rc = avcodec_open2(context_.get(), codec, nullptr); rc < 0)
    throw MediaError("cannot open the DV decoder: " + AvErrorText(rc));
}

bool DvPictureDecoder::Decode(std::span<const std::uint8_t> frame, FramePtr& picture) {
  // An empty packet would ask the decoder to flush, not to decode.
  if (frame.empty()) return false;
  if (av_new_packet(packet_.get(), static_cast<int>(frame.size())) < 0) return false;
  std::memcpy(packet_->data, frame.data(), frame.size());
  const int sent = avcodec_send_packet(context_.get(), packet_.get());
  av_packet_unref(packet_.get());
  if (sent < 0) return false;
  FramePtr decoded = AllocFrame();
  if (avcodec_receive_frame(context_.get(), decoded.get()) < 0) return false;
  picture = std::move(decoded);
  return true;
}

}  // namespace korvid::graphs
