#include "graphs/ffmpeg_resampler.h"

#include <algorithm>
#include <cstddef>

#include "graphs/ffmpeg_ptr.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace korvid::graphs {
namespace {

class FfmpegResampler : public SoundResampler {
 public:
  FfmpegResampler(int inRate, int outRate, int channels) : channels_(channels) {
    AVChannelLayout layout;
    av_channel_layout_default(&layout, channels);
    SwrContext* raw = nullptr;
    const int rc = swr_alloc_set_opts2(&raw, &layout, AV_SAMPLE_FMT_S16, outRate, &layout, AV_SAMPLE_FMT_S16,
                                       inRate, 0, nullptr);
    swr_.reset(raw);
    av_channel_layout_uninit(&layout);
    if (rc < 0 || !swr_ || swr_init(swr_.get()) < 0) throw MediaError("cannot set up the sound resampler");
  }

  void Convert(std::span<const std::int16_t> in, std::vector<std::int16_t>& out) override {
    const auto frames = static_cast<int>(in.size() / static_cast<std::size_t>(channels_));
    const int room = swr_get_out_samples(swr_.get(), frames);
    if (room < 0) throw MediaError("sound resampler failed");
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(room) * static_cast<std::size_t>(channels_));
    auto* dst = reinterpret_cast<std::uint8_t*>(out.data() + at);
    const auto* src = reinterpret_cast<const std::uint8_t*>(in.data());
    const int got = swr_convert(swr_.get(), &dst, room, &src, frames);
    if (got < 0) throw MediaError("sound resampler failed");
    out.resize(at + static_cast<std::size_t>(got) * static_cast<std::size_t>(channels_));
  }

  void Drain(std::vector<std::int16_t>& out) override {
    constexpr int kRoom = 4096;
    for (;;) {
      const std::size_t at = out.size();
      out.resize(at + static_cast<std::size_t>(kRoom) * static_cast<std::size_t>(channels_));
      auto* dst = reinterpret_cast<std::uint8_t*>(out.data() + at);
      const int got = swr_convert(swr_.get(), &dst, kRoom, nullptr, 0);
      out.resize(at + static_cast<std::size_t>(std::max(got, 0)) * static_cast<std::size_t>(channels_));
      if (got <= 0) break;
    }
  }

 private:
  int channels_;
  SwrPtr swr_;
};

}  // namespace

std::unique_ptr<SoundResampler> MakeFfmpegResampler(int inRate, int outRate, int channels) {
  return std::make_unique<FfmpegResampler>(inRate, outRate, channels);
}

}  // namespace korvid::graphs
