#include "media/sound_locker.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace korvid::media {
namespace {

// A windowed sinc of 16 taps, tabulated at 256 fractional offsets: ample
// for ratios within a few percent of one.
constexpr int kHalf = 8;
constexpr int kTaps = 2 * kHalf;
constexpr int kPhases = 256;

using Kernel = std::array<std::array<float, kTaps>, kPhases + 1>;

Kernel MakeKernel() {
  Kernel kernel{};
  for (int p = 0; p <= kPhases; ++p) {
    const double offset = static_cast<double>(p) / kPhases;
    double sum = 0;
    std::array<double, kTaps> w{};
    for (int t = 0; t < kTaps; ++t) {
      const double x = static_cast<double>(t - (kHalf - 1)) - offset;
      const double sinc = x == 0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
      const double r = x / kHalf;  // within (-1, 1)
      const double blackman = 0.42 + 0.5 * std::cos(std::numbers::pi * r) + 0.08 * std::cos(2 * std::numbers::pi * r);
      w[static_cast<std::size_t>(t)] = sinc * blackman;
      sum += w[static_cast<std::size_t>(t)];
    }
    // Unit gain at every offset, so that silence and steady levels stay put.
    for (int t = 0; t < kTaps; ++t)
      kernel[static_cast<std::size_t>(p)][static_cast<std::size_t>(t)] = static_cast<float>(w[static_cast<std::size_t>(t)] / sum);
  }
  return kernel;
}

const Kernel& TheKernel() {
  static const Kernel kernel = MakeKernel();
  return kernel;
}

std::int16_t ToSample(float value) {
  const long rounded = std::lround(value);
  return static_cast<std::int16_t>(std::clamp<long>(rounded, -32768, 32767));
}

}  // namespace

SoundLocker::SoundLocker(int channels, int rate)
    : channels_(static_cast<std::size_t>(channels)),
      tolerance_(static_cast<std::uint64_t>(std::max(1, rate / 4000))),
      longest_(static_cast<std::uint64_t>(rate) * 10) {
  if (channels < 1 || rate < 1) throw std::invalid_argument("impossible sound format");
}

bool SoundLocker::Fits(const Mark& end) const {
  // Each frame end m maps to m.in * end.out / end.in; it must lie within
  // the tolerance of m.out.
  const auto within = [&](const Mark& m) {
    const std::uint64_t mapped = m.in * end.out;
    const std::uint64_t wanted = m.out * end.in;
    const std::uint64_t gap = mapped > wanted ? mapped - wanted : wanted - mapped;
    return gap <= tolerance_ * end.in;
  };
  return std::all_of(marks_.begin(), marks_.end(), within);
}

void SoundLocker::Add(std::span<const std::int16_t> samples, std::size_t share, std::vector<std::int16_t>& out) {
  const std::uint64_t n = samples.size() / channels_;
  input_.insert(input_.end(), samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(n * channels_));
  input_end_ += n;
  const Mark before = marks_.empty() ? Mark{} : marks_.back();
  const Mark end{before.in + n, before.out + share};
  if (marks_.empty() || (end.out <= longest_ && Fits(end))) {
    marks_.push_back(end);
    return;
  }
  Render(out);
  stretch_start_ += before.in;
  marks_.assign(1, Mark{n, share});
  // Only the taps reaching back from the new stretch are needed.
  const std::uint64_t keep_from = stretch_start_ > kHalf ? stretch_start_ - kHalf : 0;
  if (keep_from > input_start_) {
    input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>((keep_from - input_start_) * channels_));
    input_start_ = keep_from;
  }
}

void SoundLocker::Finish(std::vector<std::int16_t>& out) {
  if (marks_.empty()) return;
  Render(out);
  stretch_start_ += marks_.back().in;
  marks_.clear();
}

float SoundLocker::Input(std::int64_t at, std::size_t channel) const {
  // Beyond what is held the edge sample stands in.
  const auto first = static_cast<std::int64_t>(input_start_);
  const auto last = static_cast<std::int64_t>(input_end_) - 1;
  const std::int64_t clamped = std::clamp(at, first, std::max(first, last));
  if (input_.empty()) return 0.0f;
  return input_[static_cast<std::size_t>(clamped - first) * channels_ + channel];
}

void SoundLocker::Render(std::vector<std::int16_t>& out) {
  const Mark whole = marks_.back();
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(whole.out) * channels_);
  if (whole.in == whole.out) {
    const auto from = static_cast<std::ptrdiff_t>((stretch_start_ - input_start_) * channels_);
    std::copy_n(input_.begin() + from, static_cast<std::ptrdiff_t>(whole.out * channels_),
                out.begin() + static_cast<std::ptrdiff_t>(at));
    return;
  }
  const Kernel& kernel = TheKernel();
  std::int16_t* dst = out.data() + at;
  for (std::uint64_t j = 0; j < whole.out; ++j) {
    // Output sample j lies at j * in / out recorded samples into the stretch.
    const std::uint64_t numerator = j * whole.in;
    const std::uint64_t base = stretch_start_ + numerator / whole.out;
    const auto phase = static_cast<std::size_t>(((numerator % whole.out) * kPhases * 2 + whole.out) / (2 * whole.out));
    const auto& taps = kernel[phase];
    const std::int64_t first = static_cast<std::int64_t>(base) - (kHalf - 1);
    const bool inside = first >= static_cast<std::int64_t>(input_start_) && base + kHalf < input_end_;
    for (std::size_t c = 0; c < channels_; ++c) {
      float sum = 0.0f;
      if (inside) {
        const std::int16_t* src = input_.data() + (static_cast<std::uint64_t>(first) - input_start_) * channels_ + c;
        for (int t = 0; t < kTaps; ++t) sum += taps[static_cast<std::size_t>(t)] * src[static_cast<std::size_t>(t) * channels_];
      } else {
        for (int t = 0; t < kTaps; ++t) sum += taps[static_cast<std::size_t>(t)] * Input(first + t, c);
      }
      *dst++ = ToSample(sum);
    }
  }
}

}  // namespace korvid::media
