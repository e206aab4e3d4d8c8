#pragma once
// Discontinuities that do not cut a scene but that a user looking for the
// reason of a cut (or of a missing one) may want to see: the camcorder's
// recording-start flag, timecode jumps and repeats, changes of TV system,
// picture aspect or sound mode, and stretches without a datecode.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "graphs/scene_scan.h"
#include "media/dv_audio.h"
#include "media/dv_frame.h"
#include "media/dv_packs.h"

namespace korvid::graphs {

// The timecode that follows `tc` at the frame rate of `system`; NTSC tapes
// may count drop-frame, so both next values are given (equal for PAL).
struct NextTimecodes {
  media::TTimecode plain;
  media::TTimecode dropFrame;
};
NextTimecodes NextTimecode(const media::TTimecode& tc, media::DvSystem system);

class FrameMarkTracker {
 public:
  // Frames in order from the first, read whole (FrameReading::kWholeFrame)
  // so that the sound packs are seen. Returns this frame's marks, each a
  // short text without commas.
  std::vector<std::string> Feed(const ScannedFrame& frame);

 private:
  struct SoundMode {
    int sampleRate = 0;
    int bits = 0;
    int channels = 0;
    friend bool operator==(const SoundMode&, const SoundMode&) = default;
  };
  bool seen_ = false;
  std::optional<media::TTimecode> timecode_;
  std::optional<media::DvSystem> system_;
  bool wide_ = false;
  std::optional<SoundMode> sound_;
  bool undated_ = false;
  std::int64_t undatedFrom_ = 0;
};

}  // namespace korvid::graphs
