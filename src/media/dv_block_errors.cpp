#include "media/dv_block_errors.h"

#include <algorithm>

#include "media/dv_audio.h"
#include "media/dv_audio_layout.h"
#include "media/dv_frame_facts.h"

namespace korvid::media {
namespace {

constexpr std::size_t kFirstMediaBlock = 6;  // after header, subcode and VAUX
constexpr std::size_t kAudioBlockSpacing = 16;

bool IsAudioBlock(std::size_t block) {
  return block >= kFirstMediaBlock && (block - kFirstMediaBlock) % kAudioBlockSpacing == 0;
}

bool IsErrorSample(const std::uint8_t* p, std::size_t groupBytes) {
  if (groupBytes == 2) return p[0] == 0x80 && p[1] == 0x00;
  // Two 12-bit samples: the high bytes first, then their low nibbles.
  const int first = (p[0] << 4) | (p[2] >> 4);
  const int second = (p[1] << 4) | (p[2] & 0x0F);
  return first == 0x800 || second == 0x800;
}

}  // namespace

const DifBlockErrorCounter::SampleTable& DifBlockErrorCounter::TableFor(DvSystem system, std::size_t groupBytes) {
  for (const SampleTable& table : tables_)
    if (table.system == system && table.groupBytes == groupBytes) return table;
  SampleTable table{system, groupBytes, {}};
  const std::size_t capacity = AudioHalfCapacity(system, groupBytes);
  for (std::size_t half = 0; half < 2; ++half) {
    table.offsets[half].reserve(capacity);
    for (std::size_t n = 0; n < capacity; ++n)
      table.offsets[half].push_back(static_cast<std::uint32_t>(AudioSampleOffset(system, half, n, groupBytes)));
  }
  tables_.push_back(std::move(table));
  return tables_.back();
}

std::optional<std::size_t> DifBlockErrorCounter::CountAudio(std::span<const std::uint8_t> frame, DvSystem system,
                                                            const std::optional<DvAudioInfo>& file_sound) {
  if (frame.size() < FrameBytes(system)) return std::nullopt;
  std::optional<DvAudioInfo> sound = ReadDvFrameFacts(frame).sound;
  if (!sound && file_sound && file_sound->system == system) sound = file_sound;
  if (!sound) return std::nullopt;
  const DvAudioInfo& info = *sound;
  const std::size_t groupBytes = info.bits == 16 ? 2 : 3;
  const SampleTable& table = TableFor(system, groupBytes);
  const std::size_t samples = std::min(info.samples, table.offsets[0].size());
  marked_.assign(FrameBytes(system) / kDifBlockBytes, 0);
  // Each half carries its own channel (16-bit) or stereo pair (12-bit).
  for (const std::vector<std::uint32_t>& offsets : table.offsets) {
    for (std::size_t n = 0; n < samples; ++n) {
      const std::uint32_t at = offsets[n];
      if (IsErrorSample(&frame[at], groupBytes)) marked_[at / kDifBlockBytes] = 1;
    }
  }
  return static_cast<std::size_t>(std::count(marked_.begin(), marked_.end(), std::uint8_t{1}));
}

DifBlockErrors DifBlockErrorCounter::Count(std::span<const std::uint8_t> frame,
                                           const std::optional<DvAudioInfo>& file_sound) {
  DifBlockErrors errors;
  marked_.clear();
  const std::optional<DvSystem> system = DetectDvSystem(frame);
  if (!system) return errors;
  const std::size_t blocks =
      std::min(frame.size() / kDifBlockBytes, SequencesPerFrame(*system) * kDifBlocksPerSequence);
  for (std::size_t b = 0; b < blocks; ++b) {
    const std::size_t inSequence = b % kDifBlocksPerSequence;
    if (inSequence < kFirstMediaBlock || IsAudioBlock(inSequence)) continue;
    if ((frame[b * kDifBlockBytes + 3] & 0xF0) != 0) ++errors.videoBlocksMarked;
  }
  errors.audioBlocksWithErrors = CountAudio(frame, *system, file_sound);
  return errors;
}

}  // namespace korvid::media
