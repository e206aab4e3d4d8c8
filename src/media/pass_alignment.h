#pragma once
// Lines up several captures of one tape on one timeline before anything is
// merged. Each capture is fed frame by frame in its own order; every frame
// is matched to a frame already on the timeline by its content, its
// timecode and its datecode (frame_fingerprint.h), never by its position in
// the file. A capture may start later or end earlier than the others, lack
// frames its deck dropped, or repeat frames: a repeat is a second copy of a
// timeline frame, never a new one. Frames no capture before held join the
// timeline where they lie on the tape, between the frames they follow and
// precede, so the timeline is the union of the captures in tape order.
//
// Only fingerprints are kept, a few hundred bytes a frame.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "media/frame_fingerprint.h"

namespace korvid::media {

inline constexpr std::int32_t kNoFrame = -1;

struct TimelineFrame {
  FrameFingerprint print;          // completed from every copy
  std::vector<std::int32_t> copy;  // per capture: its frame number, kNoFrame when it lacks the frame
};

struct PassLining {
  std::size_t frames = 0;      // whole frames the capture holds
  std::size_t unreadable = 0;  // chunks that were not one whole frame
  std::size_t matched = 0;     // frames found on the timeline of the captures before it
  std::size_t repeats = 0;     // frames that were another copy of a frame it already had
  bool used = true;
};

class PassAligner {
 public:
  // Starts the next capture.
  void BeginPass();
  // Frame `frame` of the current capture, in file order.
  void AddFrame(std::int32_t frame, const FrameFingerprint& print);
  void AddUnreadable() { passes_.back().unreadable += 1; }
  // Frames of the current capture matched so far.
  std::size_t Matched() const { return passes_.back().matched; }
  // Ends the current capture. With `use` false it leaves the timeline as it
  // was (allowed only while it matched nothing) and is marked unused.
  void EndPass(bool use);

  const std::vector<TimelineFrame>& Timeline() const { return timeline_; }
  const std::vector<PassLining>& Passes() const { return passes_; }

 private:
  struct Joining {
    FrameFingerprint print;
    std::int32_t frame = 0;
    std::int64_t after = -1;  // the timeline frame it follows
    std::int64_t before = -1; // the one it precedes; -1 while not known
  };
  std::int64_t FindOnTimeline(std::int32_t frame, const FrameFingerprint& print) const;
  void Consider(std::int64_t at, const FrameFingerprint& print, std::int64_t& best, std::size_t& best_agreeing) const;
  void Reclaim(std::int64_t at);
  std::size_t PassIndex() const { return passes_.size() - 1; }

  std::vector<TimelineFrame> timeline_;
  std::vector<PassLining> passes_;
  std::vector<Joining> joining_;
  std::size_t joining_open_ = 0;  // the first joining frame whose successor is not known
  std::vector<std::pair<std::int64_t, std::uint32_t>> by_timecode_;
  std::int64_t last_ = -1;        // the furthest timeline frame matched in this capture
  std::int64_t since_match_ = 0;  // frames since this capture last matched
};

}  // namespace korvid::media
