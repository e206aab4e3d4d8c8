#pragma once
// Time stamping for the player's two branches (picture and datecode
// text). Both must agree on each sample's time after every seek and
// pause, whatever the source's own stamps: once method 5 is called the
// stamps are those of the frame number from the start of the stream
// (frame k at k frame durations), so that a text and its picture always
// carry the same time. Before it, stamps pass through unchanged.
//
// Settings:
//   5 SetFrameStamping   no argument: stamp by frame number from now on.

#include <cstdint>
#include <optional>

namespace korvid::graphs {

class Horolan {
 public:
  void SetFrameStamping() { by_frame_ = true; }

  // The time of frame `index` whose source time is `source_ticks`, for a
  // stream of `rate`/`scale` frames a second; 100-nanosecond units.
  std::int64_t Stamp(std::uint64_t index, std::int64_t source_ticks, std::uint32_t rate,
                     std::uint32_t scale) const;

 private:
  bool by_frame_ = false;
};

}  // namespace korvid::graphs
