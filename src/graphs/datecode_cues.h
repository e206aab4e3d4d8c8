#pragma once
// The recording date and time of a file as timed cues: one cue per run of
// consecutive frames recorded in the same second. Subtitle files and the
// subtitle track of an export are made from these; undated frames get no
// cue, so an undated stretch shows nothing rather than a stale date.

#include <cstdint>
#include <vector>

#include "media/dv_packs.h"

namespace korvid::graphs {

struct DatecodeCue {
  std::int64_t firstFrame = 0;
  std::int64_t endFrame = 0;  // one past the cue's last frame
  media::TDatecode datecode;  // of the cue's first frame
};

// Frames are added in order, each with the datecode read from it.
class DatecodeCueBuilder {
 public:
  void Add(std::int64_t frame, const media::TDatecode& datecode);
  // The cues so far, the running one ended after the last frame added.
  std::vector<DatecodeCue> Finish();

 private:
  std::vector<DatecodeCue> cues_;
  bool open_ = false;
};

}  // namespace korvid::graphs
