#include "graphs/pcm_rate_converter.h"

#include <algorithm>
#include <stdexcept>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace korvid::graphs {

PcmRateConverter::PcmRateConverter(int out_rate, int channels) : out_rate_(out_rate), channels_(channels) {
  if (out_rate <= 0 || channels <= 0) throw std::invalid_argument("impossible sound format");
}

void PcmRateConverter::Open(int in_rate) {
  AVChannelLayout layout;
  av_channel_layout_default(&layout, channels_);
  SwrContext* raw = nullptr;
  const int rc = swr_alloc_set_opts2(&raw, &layout, AV_SAMPLE_FMT_S16, out_rate_, &layout, AV_SAMPLE_FMT_S16,
                                     in_rate, 0, nullptr);
  SwrPtr swr(raw);
  av_channel_layout_uninit(&layout);
  if (rc < 0 || !swr || swr_init(swr.get()) < 0) throw MediaError("cannot set up the sound resampler");
  swr_ = std::move(swr);
  in_rate_ = in_rate;
}

void PcmRateConverter::Drain(std::vector<std::int16_t>& out) {
  if (!swr_) return;
  for (;;) {
    const int room = 4096;
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(room * channels_));
    auto* dst = reinterpret_cast<std::uint8_t*>(out.data() + at);
    const int got = swr_convert(swr_.get(), &dst, room, nullptr, 0);
    out.resize(at + static_cast<std::size_t>(std::max(got, 0) * channels_));
    if (got <= 0) break;
  }
  swr_.reset();
  in_rate_ = 0;
}

void PcmRateConverter::Convert(std::span<const std::int16_t> in, int in_rate, std::vector<std::int16_t>& out) {
  if (in_rate <= 0) throw std::invalid_argument("impossible sample rate");
  const auto frames = static_cast<int>(in.size() / static_cast<std::size_t>(channels_));
  if (in_rate == out_rate_) {
    Drain(out);
    out.insert(out.end(), in.begin(), in.begin() + frames * channels_);
    return;
  }
  if (in_rate != in_rate_) {
    Drain(out);
    Open(in_rate);
  }
  const int room = swr_get_out_samples(swr_.get(), frames);
  if (room < 0) throw MediaError("sound resampler failed");
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(room * channels_));
  auto* dst = reinterpret_cast<std::uint8_t*>(out.data() + at);
  const auto* src = reinterpret_cast<const std::uint8_t*>(in.data());
  const int got = swr_convert(swr_.get(), &dst, room, &src, frames);
  if (got < 0) throw MediaError("sound resampler failed");
  out.resize(at + static_cast<std::size_t>(got * channels_));
}

void PcmRateConverter::Flush(std::vector<std::int16_t>& out) { Drain(out); }

}  // namespace korvid::graphs
