#pragma once
// Timecodes of a conversion to the other TV system. Copying each shown
// source frame's timecode would repeat or invent labels (frames 25-29 do
// not exist at 25 fps), so the output counts on at its own rate from the
// source's timecode, in drop-frame counting for 525/60 as camcorders do,
// and restarts from the source's own value wherever the source's timecode
// jumps (a new recording).

#include <cstdint>
#include <optional>
#include <span>

#include "media/dv_frame.h"
#include "media/dv_packs.h"

namespace korvid::graphs {

class ConvertedTimecode {
 public:
  ConvertedTimecode(media::DvSystem from, media::DvSystem to) : from_(from), to_(to) {}

  // The timecode pack of the next output frame, which shows source frame
  // `sourceIndex` (`source` its bytes); nothing when that frame has none.
  // Call once per output frame, in order.
  std::optional<media::DvPack> Next(std::uint64_t sourceIndex, std::span<const std::uint8_t> source);

  // Writes Next into `output`, or erases its timecode packs.
  void Write(std::span<std::uint8_t> output, std::uint64_t sourceIndex, std::span<const std::uint8_t> source);

 private:
  // The source's value as a label that exists at the output's rate.
  media::TTimecode Restart(media::TTimecode tc) const;
  bool OutputDrops() const { return to_ == media::DvSystem::k525_60; }

  media::DvSystem from_;
  media::DvSystem to_;
  bool running_ = false;
  std::uint64_t lastSource_ = 0;
  std::int64_t lastSourceNumber_ = 0;
  std::int64_t outputNumber_ = 0;
};

}  // namespace korvid::graphs
