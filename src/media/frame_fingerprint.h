#pragma once
// What a merge keeps of each frame of a capture while it lines the
// captures up: the frame's timecode and recording date and time, and a
// hash of a few video blocks spread over every DIF sequence. A block the
// deck read cleanly holds the same bytes in every capture of the tape, so
// two copies of one frame agree wherever both read a sampled block
// cleanly, while neighbouring frames differ in their picture or timecode.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "media/dv_frame.h"
#include "media/dv_packs.h"

namespace korvid::media {

inline constexpr std::size_t kSampledBlocksPerSequence = 4;
inline constexpr std::size_t kSampledBlocks = 12 * kSampledBlocksPerSequence;

struct FrameFingerprint {
  TTimecode timecode;
  TDatecode datecode;
  // 0 where the sampled block was marked damaged or lies beyond the frame.
  std::array<std::uint64_t, kSampledBlocks> blocks{};
};

// The frame's own fingerprint; safe on any buffer.
FrameFingerprint FingerprintFrame(std::span<const std::uint8_t> frame);

enum class FrameLikeness {
  kDifferent,  // the content, the timecode or the datecode tell them apart
  kUnknown,    // too few blocks read cleanly in both, and no timecode to tell
  kSame,
};

struct FrameComparison {
  FrameLikeness likeness = FrameLikeness::kUnknown;
  std::size_t agreeing = 0;  // sampled blocks clean and equal in both
};

FrameComparison CompareFrames(const FrameFingerprint& a, const FrameFingerprint& b);

// Fills what `into` lacks (a block read damaged there, a missing timecode
// or datecode) from another copy of the same frame.
void CompleteFingerprint(FrameFingerprint& into, const FrameFingerprint& from);

// Frames from the start of the tape's timecode, for ordering; nothing
// without a timecode.
std::int64_t TimecodeOrder(const TTimecode& tc);

}  // namespace korvid::media
