#include "media/frame_fingerprint.h"

#include "media/dv_frame_facts.h"

namespace korvid::media {
namespace {

// Clean blocks in common that make two copies one frame by content alone.
constexpr std::size_t kAgreeingForSame = 6;

// The block of sequence-relative video block v (0-134): an audio block
// precedes every 15 video blocks, after the 6 header, subcode, VAUX and
// first audio blocks.
constexpr std::size_t VideoBlockIndex(std::size_t v) { return 7 + v + v / 15; }

// Spread over the picture differently in each sequence.
constexpr std::size_t SampledVideoBlock(std::size_t sequence, std::size_t k) {
  return VideoBlockIndex((sequence * 37 + k * 34 + 5) % 135);
}

std::uint64_t HashBlock(const std::uint8_t* block) {
  // FNV-1a over the quantiser number and the data, leaving out the ID bytes
  // and the STA nibble, which a deck sets without touching the data.
  std::uint64_t h = 0xcbf29ce484222325ULL;
  const auto mix = [&h](std::uint8_t byte) {
    h ^= byte;
    h *= 0x100000001b3ULL;
  };
  mix(block[3] & 0x0F);
  for (std::size_t i = 4; i < kDifBlockBytes; ++i) mix(block[i]);
  return h == 0 ? 1 : h;
}

}  // namespace

FrameFingerprint FingerprintFrame(std::span<const std::uint8_t> frame) {
  FrameFingerprint print;
  const DvFrameFacts facts = ReadDvFrameFacts(frame);
  if (!facts.system) return print;
  print.timecode = facts.timecode;
  print.datecode = facts.datecode;
  const std::size_t sequences = SequencesPerFrame(*facts.system);
  for (std::size_t s = 0; s < sequences; ++s) {
    for (std::size_t k = 0; k < kSampledBlocksPerSequence; ++k) {
      const std::size_t offset = DifBlockOffset(s, SampledVideoBlock(s, k));
      if (offset + kDifBlockBytes > frame.size()) continue;
      const std::uint8_t* block = frame.data() + offset;
      if ((block[3] & 0xF0) != 0) continue;
      print.blocks[s * kSampledBlocksPerSequence + k] = HashBlock(block);
    }
  }
  return print;
}

FrameComparison CompareFrames(const FrameFingerprint& a, const FrameFingerprint& b) {
  FrameComparison result;
  const bool bothTimed = HasTimecode(a.timecode) && HasTimecode(b.timecode);
  if (bothTimed && a.timecode != b.timecode) {
    result.likeness = FrameLikeness::kDifferent;
    return result;
  }
  if (HasDatecode(a.datecode) && HasDatecode(b.datecode) && a.datecode != b.datecode) {
    result.likeness = FrameLikeness::kDifferent;
    return result;
  }
  std::size_t differing = 0;
  for (std::size_t i = 0; i < kSampledBlocks; ++i) {
    if (a.blocks[i] == 0 || b.blocks[i] == 0) continue;
    if (a.blocks[i] == b.blocks[i]) {
      ++result.agreeing;
    } else {
      ++differing;
    }
  }
  // A deck does not flag every block it misread: a stray difference among
  // many agreeing blocks does not part two copies.
  if (differing > 0 && differing * 8 > result.agreeing) {
    result.likeness = FrameLikeness::kDifferent;
  } else if (result.agreeing >= kAgreeingForSame || bothTimed) {
    result.likeness = FrameLikeness::kSame;
  }
  return result;
}

void CompleteFingerprint(FrameFingerprint& into, const FrameFingerprint& from) {
  if (!HasTimecode(into.timecode)) into.timecode = from.timecode;
  if (!HasDatecode(into.datecode)) into.datecode = from.datecode;
  for (std::size_t i = 0; i < kSampledBlocks; ++i)
    if (into.blocks[i] == 0) into.blocks[i] = from.blocks[i];
}

std::int64_t TimecodeOrder(const TTimecode& tc) {
  if (!HasTimecode(tc)) return -1;
  return ((std::int64_t{tc.hours} * 60 + tc.minutes) * 60 + tc.seconds) * 100 + tc.frames;
}

}  // namespace korvid::media
