#pragma once
// Puts sound whose frames hold more or fewer samples than their share of
// the picture's time (the "unlocked" sound of consumer camcorders) back in
// step with the picture. Frames are gathered into stretches whose recorded
// samples map onto their picture time by one constant ratio without any
// frame boundary straying more than a quarter of a millisecond; each
// stretch is then resampled by that ratio. Every stretch, and so the
// whole, ends exactly where its frames' picture time ends. A stretch whose
// frames already hold their share is copied sample for sample.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace korvid::media {

class SoundLocker {
 public:
  // `channels` interleaved; `rate` in Hz (sets the tolerance and the
  // longest stretch, ten seconds).
  SoundLocker(int channels, int rate);

  // One frame: its recorded samples and how many its picture time holds.
  // Appends to `out` whatever stretch this frame closed.
  void Add(std::span<const std::int16_t> samples, std::size_t share, std::vector<std::int16_t>& out);
  // Appends the last stretch; the locker is then empty and can go on.
  void Finish(std::vector<std::int16_t>& out);

 private:
  struct Mark {
    std::uint64_t in = 0;   // recorded samples from the stretch's start
    std::uint64_t out = 0;  // picture-time samples from the stretch's start
  };

  bool Fits(const Mark& end) const;
  void Render(std::vector<std::int16_t>& out);
  float Input(std::int64_t at, std::size_t channel) const;

  std::size_t channels_;
  std::uint64_t tolerance_;  // samples
  std::uint64_t longest_;    // picture-time samples in one stretch
  std::vector<std::int16_t> input_;  // interleaved, from input_start_ on
  std::uint64_t input_start_ = 0;    // absolute sample of input_[0]
  std::uint64_t input_end_ = 0;
  std::uint64_t stretch_start_ = 0;  // absolute recorded sample where it begins
  std::vector<Mark> marks_;          // the stretch's frame ends
};

}  // namespace korvid::media
