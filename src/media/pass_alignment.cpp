#include "media/pass_alignment.h"

#include <algorithm>
#include <stdexcept>

namespace korvid::media {
namespace {

// Frames looked at around the last match: a deck drops or repeats a few
// frames, and loops back a little after a broken frame.
constexpr std::int64_t kLookAhead = 250;
constexpr std::int64_t kLookBack = 50;
// A capture that matched nothing for this long is looked for on the whole
// timeline, every kRelocateEvery frames to bound the cost.
constexpr std::int64_t kLostAfter = kLookAhead;
constexpr std::int64_t kRelocateEvery = 25;
constexpr std::int64_t kFirstTries = 50;
// Joining frames looked at for a repeat.
constexpr std::size_t kRepeatLook = 8;

}  // namespace

void PassAligner::BeginPass() {
  passes_.emplace_back();
  for (TimelineFrame& entry : timeline_) entry.copy.push_back(kNoFrame);
  joining_.clear();
  joining_open_ = 0;
  last_ = -1;
  since_match_ = 0;
  by_timecode_.clear();
  for (std::size_t i = 0; i < timeline_.size(); ++i) {
    const std::int64_t order = TimecodeOrder(timeline_[i].print.timecode);
    if (order >= 0) by_timecode_.emplace_back(order, static_cast<std::uint32_t>(i));
  }
  std::sort(by_timecode_.begin(), by_timecode_.end());
}

void PassAligner::Consider(std::int64_t at, const FrameFingerprint& print, std::int64_t& best,
                           std::size_t& best_agreeing) const {
  const FrameComparison c = CompareFrames(timeline_[static_cast<std::size_t>(at)].print, print);
  if (c.likeness != FrameLikeness::kSame) return;
  const std::int64_t expected = last_ + 1;
  const auto distance = [expected](std::int64_t p) { return p > expected ? p - expected : expected - p; };
  if (best < 0 || c.agreeing > best_agreeing || (c.agreeing == best_agreeing && distance(at) < distance(best))) {
    best = at;
    best_agreeing = c.agreeing;
  }
}

std::int64_t PassAligner::FindOnTimeline(std::int32_t frame, const FrameFingerprint& print) const {
  const auto size = static_cast<std::int64_t>(timeline_.size());
  std::int64_t best = -1;
  std::size_t agreeing = 0;
  const bool anchored = last_ >= 0 && since_match_ < kLostAfter;
  if (anchored) {
    for (std::int64_t p = std::max<std::int64_t>(0, last_ - kLookBack); p < std::min(size, last_ + kLookAhead); ++p)
      Consider(p, print, best, agreeing);
  } else if (frame < kFirstTries || since_match_ % kRelocateEvery == 0) {
    for (std::int64_t p = 0; p < size; ++p) Consider(p, print, best, agreeing);
  }
  if (best >= 0) return best;
  // Further away, the timecode still finds it.
  const std::int64_t order = TimecodeOrder(print.timecode);
  if (order < 0) return -1;
  const auto range = std::equal_range(by_timecode_.begin(), by_timecode_.end(), std::pair{order, std::uint32_t{0}},
                                      [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto it = range.first; it != range.second; ++it) Consider(it->second, print, best, agreeing);
  return best;
}

void PassAligner::Reclaim(std::int64_t at) {
  // While lost, the capture was looked for only now and then: the frames
  // just before the one found may be on the timeline just before it.
  PassLining& pass = passes_.back();
  const std::size_t column = PassIndex();
  std::int64_t pos = at - 1;
  while (joining_.size() > joining_open_ && pos > last_) {
    const Joining& join = joining_.back();
    std::int64_t found = -1;
    for (std::int64_t q = pos; q > last_ && q >= pos - kLookBack; --q) {
      if (CompareFrames(timeline_[static_cast<std::size_t>(q)].print, join.print).likeness == FrameLikeness::kSame) {
        found = q;
        break;
      }
    }
    if (found < 0) return;
    TimelineFrame& entry = timeline_[static_cast<std::size_t>(found)];
    if (entry.copy[column] == kNoFrame) {
      entry.copy[column] = join.frame;
      CompleteFingerprint(entry.print, join.print);
      pass.matched += 1;
    } else {
      pass.repeats += 1;
    }
    joining_.pop_back();
    pos = found - 1;
  }
}

void PassAligner::AddFrame(std::int32_t frame, const FrameFingerprint& print) {
  if (passes_.empty()) throw std::logic_error("a frame before its capture");
  PassLining& pass = passes_.back();
  const std::size_t column = PassIndex();
  pass.frames += 1;

  const std::int64_t at = FindOnTimeline(frame, print);
  if (at >= 0) {
    TimelineFrame& entry = timeline_[static_cast<std::size_t>(at)];
    if (entry.copy[column] != kNoFrame) {
      pass.repeats += 1;
    } else {
      entry.copy[column] = frame;
      CompleteFingerprint(entry.print, print);
      pass.matched += 1;
    }
    if (at > last_) {
      Reclaim(at);
      for (; joining_open_ < joining_.size(); ++joining_open_) joining_[joining_open_].before = at;
      last_ = at;
    }
    since_match_ = 0;
    return;
  }
  since_match_ += 1;
  // A frame the timeline lacks, or another copy of one this capture added.
  const std::size_t look = std::min(joining_.size(), kRepeatLook);
  for (std::size_t back = 1; back <= look; ++back) {
    Joining& earlier = joining_[joining_.size() - back];
    if (CompareFrames(earlier.print, print).likeness != FrameLikeness::kSame) continue;
    CompleteFingerprint(earlier.print, print);
    pass.repeats += 1;
    return;
  }
  joining_.push_back({print, frame, last_, -1});
}

void PassAligner::EndPass(bool use) {
  PassLining& pass = passes_.back();
  if (!use) {
    if (pass.matched != 0) throw std::logic_error("a capture that matched frames cannot be left out");
    pass.used = false;
    joining_.clear();
    return;
  }
  const std::size_t column = PassIndex();
  const auto size = static_cast<std::int64_t>(timeline_.size());
  // Where each joining frame goes: after the frame it followed and, by its
  // timecode, after the frames up to the next match that come before it.
  std::vector<std::int64_t> place(joining_.size());
  std::int64_t floor = 0;
  for (std::size_t j = 0; j < joining_.size(); ++j) {
    const Joining& join = joining_[j];
    const std::int64_t limit = join.before < 0 ? size : join.before;
    std::int64_t p = std::max(join.after + 1, floor);
    const std::int64_t order = TimecodeOrder(join.print.timecode);
    while (order >= 0 && p < limit) {
      const std::int64_t there = TimecodeOrder(timeline_[static_cast<std::size_t>(p)].print.timecode);
      if (there < 0 || there >= order) break;
      ++p;
    }
    place[j] = p;
    floor = p;
  }
  std::vector<TimelineFrame> merged;
  merged.reserve(timeline_.size() + joining_.size());
  std::size_t j = 0;
  const auto addJoining = [&](std::int64_t upto) {
    for (; j < joining_.size() && place[j] <= upto; ++j) {
      TimelineFrame entry{joining_[j].print, std::vector<std::int32_t>(column + 1, kNoFrame)};
      entry.copy[column] = joining_[j].frame;
      merged.push_back(std::move(entry));
    }
  };
  for (std::int64_t i = 0; i < size; ++i) {
    addJoining(i);
    merged.push_back(std::move(timeline_[static_cast<std::size_t>(i)]));
  }
  addJoining(size);
  timeline_ = std::move(merged);
  joining_.clear();
}

}  // namespace korvid::media
