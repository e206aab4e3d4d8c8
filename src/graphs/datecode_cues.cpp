#include "graphs/datecode_cues.h"

#include <utility>

namespace korvid::graphs {

void DatecodeCueBuilder::Add(std::int64_t frame, const media::TDatecode& datecode) {
  // A frame that does not follow the last one (a skipped, unreadable frame)
  // ends the cue like an undated frame does.
  const bool follows = open_ && cues_.back().endFrame == frame;
  if (!media::HasDatecode(datecode)) {
    open_ = false;
    return;
  }
  if (follows && cues_.back().datecode == datecode) {
    cues_.back().endFrame = frame + 1;
    return;
  }
  cues_.push_back(DatecodeCue{frame, frame + 1, datecode});
  open_ = true;
}

std::vector<DatecodeCue> DatecodeCueBuilder::Finish() {
  open_ = false;
  return std::move(cues_);
}

}  // namespace korvid::graphs
