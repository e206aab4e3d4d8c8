#pragma once
// One frame rebuilt from several copies of it, block by block: each video
// block from a copy whose STA nibble says it was read cleanly, each audio
// block from a copy whose samples there hold no error code (and whose
// AAUX source pack agrees with the frame's, so the samples mean the same),
// and each subcode and VAUX block from the copy whose packs there are sound
// and most, then the reading most copies share. Everything else comes from
// the copy with the fewest damaged blocks, so a frame no copy read cleanly
// is that copy exactly.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "media/dv_audio.h"
#include "media/dv_block_errors.h"

namespace korvid::media {

struct CopyDamage {
  std::size_t video = 0;
  std::optional<std::size_t> audio;  // nothing: its sound format is not known
};

struct BlockMergeOutcome {
  std::size_t base = 0;             // the copy the frame was built on
  std::vector<CopyDamage> damage;   // of each copy as it was read
  std::vector<std::size_t> taken;   // blocks of the result taken from each copy
  std::size_t videoLeft = 0;        // damaged in every copy
  std::size_t audioLeft = 0;
};

class BlockMerger {
 public:
  // `file_sound`: the sound format of the recording, for judging the
  // samples of copies that lost their own description.
  explicit BlockMerger(std::optional<DvAudioInfo> file_sound) : file_sound_(std::move(file_sound)) {}

  // `copies` are whole frames of one TV system, at least one
  // (std::invalid_argument otherwise). The result goes to `out`.
  BlockMergeOutcome Merge(std::span<const std::span<const std::uint8_t>> copies, std::vector<std::uint8_t>& out);

 private:
  enum : std::uint8_t { kClean = 0, kDamaged = 1 };
  void Judge(std::span<const std::uint8_t> frame, std::vector<std::uint8_t>& bad, CopyDamage& damage);

  std::optional<DvAudioInfo> file_sound_;
  DifBlockErrorCounter counter_;
  std::vector<std::vector<std::uint8_t>> bad_;  // per copy, one byte per block
};

}  // namespace korvid::media
