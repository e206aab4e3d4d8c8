#pragma once
// The DV header rewriter that conversions run after the DV encoder.
// A re-encoded frame has lost what the camcorder recorded, so the rewriter
// carries the timecode, the recording date and time and the 16:9 flag over
// from the untouched source frame, optionally moving the recording time by
// whole hours. The header-fix job runs it on the source frames themselves.
//
// Settings, each taking one 32-bit value:
//   SetEnabled      non-zero: rewrite frames; zero: pass them through.
//   SetHourOffset   hours to add to the recording date and time (signed).
//   SetInlaySource  non-zero: the picture went through the datecode inlay.
//                   Only recorded; the packs come from the source either way.
//   SetApplyShift   non-zero: move the copied datecode by the hour offset.
//   SetInPlace      non-zero: the output frame is the source frame itself
//                   (the header-fix job); the offset is then always applied,
//                   since moving the datecode is that job's only purpose.
//   SetWideScreen   non-zero: mark the output 16:9, zero: 4:3. Without this
//                   call the source's own flag is copied (in place: kept).

#include <cstdint>
#include <optional>
#include <span>

namespace korvid::graphs {

class Dixmark {
 public:
  void SetEnabled(std::int32_t value);
  void SetHourOffset(std::int32_t value);
  void SetInlaySource(std::int32_t value);
  void SetApplyShift(std::int32_t value);
  void SetInPlace(std::int32_t value);
  void SetWideScreen(std::int32_t value);

  bool Enabled() const { return enabled_; }
  bool InlaySource() const { return inlaySource_; }
  // The hours actually added to the datecode by Process.
  int EffectiveShiftHours() const;

  // Rewrites `output` from the packs of `source` (which may be the same
  // buffer; the two may also be of different TV systems). Frames without a
  // datecode stay undated; a shift whose result cannot be recorded (a year
  // past 2039 or before 1940) keeps the source's datecode unmoved.
  // Returns false, leaving `output` alone, when disabled or when either
  // buffer does not start with a DV header block.
  bool Process(std::span<std::uint8_t> output, std::span<const std::uint8_t> source) const;
  bool ProcessInPlace(std::span<std::uint8_t> frame) const { return Process(frame, frame); }

 private:
  void CopyDatecode(std::span<std::uint8_t> output, std::span<const std::uint8_t> source,
                    bool sameFrame) const;

  bool enabled_ = false;
  std::int32_t hourOffset_ = 0;
  bool inlaySource_ = false;
  bool applyShift_ = false;
  bool inPlace_ = false;
  std::optional<bool> wide_;
};

}  // namespace korvid::graphs
