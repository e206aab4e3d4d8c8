#include "graphs/pcm_rate_converter.h"

#include <stdexcept>

#include "graphs/codec_jobs.h"

namespace korvid::graphs {

PcmRateConverter::PcmRateConverter(int out_rate, int channels) : out_rate_(out_rate), channels_(channels) {
  if (out_rate <= 0 || channels <= 0) throw std::invalid_argument("impossible sound format");
}

void PcmRateConverter::Drain(std::vector<std::int16_t>& out) {
  if (!resampler_) return;
  resampler_->Drain(out);
  resampler_.reset();
  in_rate_ = 0;
}

void PcmRateConverter::Convert(std::span<const std::int16_t> in, int in_rate, std::vector<std::int16_t>& out) {
  if (in_rate <= 0) throw std::invalid_argument("impossible sample rate");
  const std::size_t whole = in.size() - in.size() % static_cast<std::size_t>(channels_);
  if (in_rate == out_rate_) {
    Drain(out);
    out.insert(out.end(), in.begin(), in.begin() + static_cast<std::ptrdiff_t>(whole));
    return;
  }
  if (in_rate != in_rate_) {
    Drain(out);
    resampler_ = Codecs().Resampler(in_rate, out_rate_, channels_);
    in_rate_ = in_rate;
  }
  resampler_->Convert(in.first(whole), out);
}

void PcmRateConverter::Flush(std::vector<std::int16_t>& out) { Drain(out); }

}  // namespace korvid::graphs
