#include "media/block_merge.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "media/dv_frame.h"
#include "media/dv_pack_scan.h"

namespace korvid::media {
namespace {

enum class BlockKind { kHeader, kSubcode, kVaux, kAudio, kVideo };

BlockKind KindOf(std::size_t block_in_sequence) {
  if (block_in_sequence == 0) return BlockKind::kHeader;
  if (block_in_sequence < 3) return BlockKind::kSubcode;
  if (block_in_sequence < 6) return BlockKind::kVaux;
  return (block_in_sequence - 6) % 16 == 0 ? BlockKind::kAudio : BlockKind::kVideo;
}

// Packs whose digits can be judged must make sense; a blank slot is sound.
bool PackSound(const std::uint8_t* pack) {
  const std::uint8_t header = pack[0];
  if (header == kNoPack) return true;
  if (header != kTimecodePack && header != kRecordingDatePack && header != kRecordingTimePack) return true;
  DvPack copy{};
  std::memcpy(copy.data(), pack, kPackBytes);
  return IsUsablePack(copy, header);
}

// The packs the block holds, or nothing when one of them is unsound.
std::optional<std::size_t> SoundPacks(const std::uint8_t* block, BlockKind kind) {
  const std::size_t slots = kind == BlockKind::kSubcode ? 6 : 15;
  std::size_t present = 0;
  for (std::size_t i = 0; i < slots; ++i) {
    const std::uint8_t* pack = kind == BlockKind::kSubcode ? block + 3 + 8 * i + 3 : block + 3 + 5 * i;
    if (!PackSound(pack)) return std::nullopt;
    if (pack[0] != kNoPack) ++present;
  }
  return present;
}

bool SameBlock(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b, std::size_t offset) {
  return std::memcmp(a.data() + offset, b.data() + offset, kDifBlockBytes) == 0;
}

}  // namespace

void BlockMerger::Judge(std::span<const std::uint8_t> frame, std::vector<std::uint8_t>& bad, CopyDamage& damage) {
  const DifBlockErrors errors = counter_.Count(frame, file_sound_);
  damage.video = errors.videoBlocksMarked;
  damage.audio = errors.audioBlocksWithErrors;
  const std::size_t blocks = frame.size() / kDifBlockBytes;
  bad.assign(blocks, kClean);
  const std::span<const std::uint8_t> audio = counter_.AudioBlockMarks();
  for (std::size_t b = 0; b < blocks; ++b) {
    const std::uint8_t* block = frame.data() + b * kDifBlockBytes;
    switch (const BlockKind kind = KindOf(b % kDifBlocksPerSequence)) {
      case BlockKind::kVideo: bad[b] = (block[3] & 0xF0) != 0 ? kDamaged : kClean; break;
      case BlockKind::kAudio: bad[b] = b < audio.size() && audio[b] != 0 ? kDamaged : kClean; break;
      case BlockKind::kSubcode:
      case BlockKind::kVaux: bad[b] = SoundPacks(block, kind) ? kClean : kDamaged; break;
      case BlockKind::kHeader: break;
    }
  }
}

BlockMergeOutcome BlockMerger::Merge(std::span<const std::span<const std::uint8_t>> copies,
                                     std::vector<std::uint8_t>& out) {
  if (copies.empty()) throw std::invalid_argument("a frame needs at least one copy");
  const std::optional<DvSystem> system = DetectDvSystem(copies[0]);
  if (!system) throw std::invalid_argument("a copy is not a DV frame");
  const std::size_t bytes = FrameBytes(*system);
  for (const auto& copy : copies)
    if (copy.size() != bytes || DetectDvSystem(copy) != system)
      throw std::invalid_argument("the copies of a frame must be whole frames of one TV system");

  BlockMergeOutcome outcome;
  outcome.damage.resize(copies.size());
  outcome.taken.assign(copies.size(), 0);
  if (bad_.size() < copies.size()) bad_.resize(copies.size());
  for (std::size_t c = 0; c < copies.size(); ++c) Judge(copies[c], bad_[c], outcome.damage[c]);

  const auto total = [](const CopyDamage& d) { return d.video + d.audio.value_or(0); };
  for (std::size_t c = 1; c < copies.size(); ++c)
    if (total(outcome.damage[c]) < total(outcome.damage[outcome.base])) outcome.base = c;
  const std::size_t base = outcome.base;
  out.assign(copies[base].begin(), copies[base].end());

  // Sound is only taken from copies that describe it as the base does.
  const std::optional<DvPack> baseSource = FindAauxPack(copies[base], kAudioSourcePack);
  std::vector<bool> soundAgrees(copies.size());
  for (std::size_t c = 0; c < copies.size(); ++c)
    soundAgrees[c] = outcome.damage[c].audio.has_value() && FindAauxPack(copies[c], kAudioSourcePack) == baseSource;

  const std::size_t blocks = bytes / kDifBlockBytes;
  std::vector<std::size_t> from(blocks, base);
  for (std::size_t b = 0; b < blocks; ++b) {
    const std::size_t offset = b * kDifBlockBytes;
    const BlockKind kind = KindOf(b % kDifBlocksPerSequence);
    if (kind == BlockKind::kVideo || kind == BlockKind::kAudio) {
      if (bad_[base][b] == kClean) continue;
      for (std::size_t c = 0; c < copies.size(); ++c) {
        if (bad_[c][b] != kClean || (kind == BlockKind::kAudio && !soundAgrees[c])) continue;
        from[b] = c;
        break;
      }
      if (from[b] == base) ++(kind == BlockKind::kVideo ? outcome.videoLeft : outcome.audioLeft);
      continue;
    }
    // Pack areas carry no damage flag. A deck that misreads them leaves
    // packs out, so the sound reading with the most packs wins, then the
    // one most copies share.
    if (kind == BlockKind::kHeader) continue;
    std::pair<std::size_t, std::size_t> best{0, 0};
    for (std::size_t c = 0; c < copies.size(); ++c) {
      if (bad_[c][b] != kClean) continue;
      const std::size_t packs = SoundPacks(copies[c].data() + offset, kind).value_or(0);
      std::size_t votes = 0;
      for (std::size_t d = 0; d < copies.size(); ++d)
        if (bad_[d][b] == kClean && SameBlock(copies[c], copies[d], offset)) ++votes;
      const std::pair<std::size_t, std::size_t> score{packs, votes};
      if (score > best || (score == best && c == base)) {
        best = score;
        from[b] = c;
      }
    }
  }
  for (std::size_t b = 0; b < blocks; ++b) {
    outcome.taken[from[b]] += 1;
    if (from[b] != base)
      std::memcpy(out.data() + b * kDifBlockBytes, copies[from[b]].data() + b * kDifBlockBytes, kDifBlockBytes);
  }
  return outcome;
}

}  // namespace korvid::media
