#include "graphs/ffmpeg_probe.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace korvid::graphs {
namespace {

bool HasResampler() {
  SwrContext* context = swr_alloc();
  const bool present = context != nullptr;
  swr_free(&context);
  return present;
}

}  // namespace

bool ProbeLibraryBacking(Backing backing) {
  switch (backing) {
    case Backing::kAviDemuxer:
      return av_find_input_format("avi") != nullptr;
    case Backing::kDvDemuxer:
      return av_find_input_format("dv") != nullptr;
    case Backing::kAviMuxer:
      return av_guess_format("avi", nullptr, nullptr) != nullptr;
    case Backing::kDvMuxer:
      return av_guess_format("dv", nullptr, nullptr) != nullptr;
    case Backing::kDvDecoder:
      return avcodec_find_decoder(AV_CODEC_ID_DVVIDEO) != nullptr;
    case Backing::kDvEncoder:
      return avcodec_find_encoder(AV_CODEC_ID_DVVIDEO) != nullptr;
    case Backing::kResampler:
      return HasResampler();
    case Backing::kScaler:
      // DV decodes to planar 4:1:1 or 4:2:0; the picture goes out as RGB.
      return sws_isSupportedInput(AV_PIX_FMT_YUV411P) > 0 && sws_isSupportedOutput(AV_PIX_FMT_RGB32) > 0;
    case Backing::kBuiltIn:
    case Backing::kAudioOutput:
      return false;
  }
  return false;
}

}  // namespace korvid::graphs
