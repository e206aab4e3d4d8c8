#include "media/dv_pack_carry.h"

#include <cstddef>
#include <optional>

#include "media/dv_audio.h"
#include "media/dv_audio_layout.h"
#include "media/dv_pack_layout.h"
#include "media/dv_pack_writer.h"

namespace korvid::media {
namespace {

constexpr std::uint8_t k50HzBit = 0x20;  // PC3 of the AAUX source pack

struct Systems {
  DvSystem output;
  DvSystem source;
};

std::optional<Systems> WholeFrames(std::span<const std::uint8_t> output, std::span<const std::uint8_t> source) {
  const auto out = DetectDvSystem(output);
  const auto src = DetectDvSystem(source);
  if (!out || !src || output.size() < FrameBytes(*out) || source.size() < FrameBytes(*src)) return std::nullopt;
  return Systems{*out, *src};
}

// The source sequence whose packs output sequence `s` takes: the same
// place in the same half, moved by one where that breaks the parity.
std::size_t SourceSequence(std::size_t s, const Systems& systems) {
  const std::size_t out_half = SequencesPerFrame(systems.output) / 2;
  const std::size_t src_half = SequencesPerFrame(systems.source) / 2;
  const std::size_t half = s / out_half;
  std::size_t j = (s % out_half) % src_half;
  if ((half * src_half + j) % 2 != s % 2) j = j + 1 < src_half ? j + 1 : j - 1;
  return half * src_half + j;
}

void CopyPack(std::span<std::uint8_t> output, std::size_t at, std::span<const std::uint8_t> source, std::size_t from) {
  for (std::size_t i = 0; i < kPackBytes; ++i) output[at + i] = source[from + i];
}

}  // namespace

void CarryVideoPacks(std::span<std::uint8_t> output, std::span<const std::uint8_t> source) {
  const auto systems = WholeFrames(output, source);
  if (!systems) return;
  for (std::size_t s = 0; s < SequencesPerFrame(systems->output); ++s) {
    const std::size_t from = SourceSequence(s, *systems);
    // Bytes 4-7 of the header block: APT and AP1-AP3 in bits 0-2, the
    // output's own transmission flags above them.
    const std::size_t header = DifBlockOffset(s, 0);
    const std::size_t source_header = DifBlockOffset(from, 0);
    for (std::size_t b = 4; b < 8; ++b)
      output[header + b] = static_cast<std::uint8_t>((output[header + b] & 0xF8) | (source[source_header + b] & 0x07));
    for (std::size_t i = 0; i < kVauxSlotsPerSequence; ++i) {
      const std::size_t at = VauxSlotOffset(s, i);
      CopyPack(output, at, source, VauxSlotOffset(from, i));
      if (output[at] != kVideoSourcePack) continue;
      const DvPack pack = EncodeVideoSourcePack(systems->output, PackAt(output, at));
      for (std::size_t k = 0; k < kPackBytes; ++k) output[at + k] = pack[k];
    }
  }
}

void CarryAudioPacks(std::span<std::uint8_t> output, std::span<const std::uint8_t> source) {
  const auto systems = WholeFrames(output, source);
  if (!systems) return;
  for (std::size_t s = 0; s < SequencesPerFrame(systems->output); ++s) {
    const std::size_t from = SourceSequence(s, *systems);
    for (std::size_t b = 0; b < kAudioBlocksPerSequence; ++b) {
      const std::size_t at = AauxPackOffset(s, b);
      const std::size_t source_at = AauxPackOffset(from, b);
      const bool written_source_pack = output[at] == kAudioSourcePack;
      if (source[source_at] != kAudioSourcePack) {
        // The sound just written must stay described where it is.
        if (!written_source_pack) CopyPack(output, at, source, source_at);
        continue;
      }
      if (!written_source_pack) continue;
      // Same sample rate and quantisation: the camcorder's pack, with the
      // output's sample count and system.
      if ((source[source_at + 4] & 0x3F) != (output[at + 4] & 0x3F)) continue;
      const std::uint8_t samples = output[at + 1];
      const std::uint8_t system = output[at + 3];
      CopyPack(output, at, source, source_at);
      output[at + 1] = samples;
      output[at + 3] = static_cast<std::uint8_t>((output[at + 3] & ~k50HzBit) | (system & k50HzBit));
    }
  }
}

}  // namespace korvid::media
