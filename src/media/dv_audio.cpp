#include "media/dv_audio.h"

#include <string>

#include "media/dv_audio_companding.h"
#include "media/dv_audio_layout.h"

namespace korvid::media {
namespace {

const char* SystemName(DvSystem system) {
  return system == DvSystem::k625_50 ? "625/50" : "525/60";
}

std::size_t SequencesPresent(std::span<const std::uint8_t> frame, DvSystem system) {
  const std::size_t whole = frame.size() / kDifSequenceBytes + 1;  // the last may be partial
  const std::size_t limit = SequencesPerFrame(system);
  return whole < limit ? whole : limit;
}

bool BlockPresent(std::span<const std::uint8_t> frame, std::size_t sequence, std::size_t block) {
  return DifBlockOffset(sequence, AudioBlockIndex(block)) + kDifBlockBytes <= frame.size();
}

DvPack PackAt(std::span<const std::uint8_t> frame, std::size_t offset) {
  DvPack pack{};
  for (std::size_t i = 0; i < kPackBytes; ++i) pack[i] = frame[offset + i];
  return pack;
}

// Calls visit(pack, sequence) for every present copy of `header` among
// sequences [first, end), standard positions first; stops when it returns
// true.
template <typename Visit>
void ForEachAauxCopy(std::span<const std::uint8_t> frame, DvSystem system, std::uint8_t header,
                     std::size_t first, std::size_t end, Visit&& visit) {
  const std::size_t present = SequencesPresent(frame, system);
  if (end > present) end = present;
  const auto tryBlock = [&](std::size_t s, std::size_t b) {
    if (!BlockPresent(frame, s, b)) return false;
    const std::size_t offset = AauxPackOffset(s, b);
    if (frame[offset] != header) return false;
    return visit(PackAt(frame, offset), s);
  };
  for (std::size_t s = first; s < end; ++s) {
    if (const auto block = StandardAauxBlock(header, s); block && tryBlock(s, *block)) return;
  }
  for (std::size_t s = first; s < end; ++s) {
    for (std::size_t b = 0; b < kAudioBlocksPerSequence; ++b) {
      if (StandardAauxBlock(header, s) == b) continue;
      if (tryBlock(s, b)) return;
    }
  }
}

// The problem with a source pack's fields, or empty when they make sense.
std::string SourcePackProblem(const DvPack& pack, DvSystem system) {
  const int smp = (pack[4] >> 3) & 0x07;
  const int qu = pack[4] & 0x07;
  const int stype = pack[3] & 0x1F;
  const DvSystem pack_system = (pack[3] & 0x20) != 0 ? DvSystem::k625_50 : DvSystem::k525_60;
  if (smp > 2) return "unknown audio sample frequency code " + std::to_string(smp);
  if (qu > 1) return "unsupported audio quantisation code " + std::to_string(qu);
  if (stype != 0) return "unsupported audio block type " + std::to_string(stype);
  const auto rate = static_cast<DvAudioRate>(smp);
  if (qu == 1 && rate != DvAudioRate::k32000) {
    return "12-bit audio at " + std::to_string(SampleRateHz(rate)) + " Hz is not a DV mode";
  }
  if (pack_system != system) {
    return std::string("audio pack says ") + SystemName(pack_system) + " but the frame is " +
           SystemName(system);
  }
  const DvSampleLimits limits = SampleLimits(system, rate);
  const std::size_t samples = limits.min + (pack[1] & 0x3F);
  if (samples > limits.max) {
    return "audio pack gives " + std::to_string(samples) + " samples, more than the " +
           std::to_string(limits.max) + " a frame can hold";
  }
  return {};
}

DvAudioInfo InfoFromSourcePack(const DvPack& pack, DvSystem system) {
  DvAudioInfo info;
  info.system = system;
  info.rate = static_cast<DvAudioRate>((pack[4] >> 3) & 0x07);
  info.sample_rate = SampleRateHz(info.rate);
  info.bits = (pack[4] & 0x07) == 1 ? 12 : 16;
  info.pairs = info.bits == 12 ? 2 : 1;
  info.channels = 2 * info.pairs;
  info.samples = SampleLimits(system, info.rate).min + (pack[1] & 0x3F);
  info.locked = (pack[1] & 0x80) == 0;
  return info;
}

DvSystem RequireSystem(std::span<const std::uint8_t> frame) {
  const auto system = DetectDvSystem(frame);
  if (!system) throw DvAudioError("the buffer does not start with a DV header block");
  return *system;
}

bool SecondPairRecorded(std::span<const std::uint8_t> frame, DvSystem system) {
  bool recorded = false;
  const std::size_t half = AudioSequencesPerHalf(system);
  ForEachAauxCopy(frame, system, kAudioSourcePack, half, 2 * half,
                  [&](const DvPack& pack, std::size_t) {
                    if (!SourcePackProblem(pack, system).empty()) return false;
                    recorded = (pack[2] & 0x0F) != 0x0F;  // audio mode "no information"
                    return true;
                  });
  return recorded;
}

std::int16_t Sample16(const std::uint8_t* p) {
  const auto value = static_cast<std::int16_t>(static_cast<std::uint16_t>((p[0] << 8) | p[1]));
  return value == kDv16BitErrorCode ? std::int16_t{0} : value;
}

std::int16_t Sample12(int code) {
  const int signed_code = code >= 0x800 ? code - 0x1000 : code;
  if (signed_code == kDv12BitErrorCode) return 0;
  return Expand12BitSample(static_cast<std::int16_t>(signed_code));
}

void Decode16Bit(std::span<const std::uint8_t> frame, const DvAudioInfo& info,
                 std::vector<std::int16_t>& out) {
  out.resize(2 * info.samples);
  const std::span<const std::uint32_t> offsets = FirstHalfSampleOffsets(info.system, 2);
  for (std::size_t channel = 0; channel < 2; ++channel) {
    const std::uint8_t* half = frame.data() + channel * SecondHalfShift(info.system);
    for (std::size_t n = 0; n < info.samples; ++n) out[2 * n + channel] = Sample16(half + offsets[n]);
  }
}

void Decode12Bit(std::span<const std::uint8_t> frame, const DvAudioInfo& info, std::size_t pair,
                 std::vector<std::int16_t>& out) {
  out.resize(2 * info.samples);
  const std::span<const std::uint32_t> offsets = FirstHalfSampleOffsets(info.system, 3);
  const std::uint8_t* half = frame.data() + pair * SecondHalfShift(info.system);
  for (std::size_t n = 0; n < info.samples; ++n) {
    const std::uint8_t* p = half + offsets[n];
    out[2 * n] = Sample12((p[0] << 4) | (p[2] >> 4));
    out[2 * n + 1] = Sample12((p[1] << 4) | (p[2] & 0x0F));
  }
}

}  // namespace

std::optional<DvPack> FindAauxPack(std::span<const std::uint8_t> frame, std::uint8_t header) {
  const auto system = DetectDvSystem(frame);
  if (!system) return std::nullopt;
  std::optional<DvPack> found;
  ForEachAauxCopy(frame, *system, header, 0, SequencesPerFrame(*system),
                  [&](const DvPack& pack, std::size_t) {
                    found = pack;
                    return true;
                  });
  return found;
}

DvAudioInfo ReadDvAudioInfo(std::span<const std::uint8_t> frame) {
  const DvSystem system = RequireSystem(frame);
  std::optional<DvAudioInfo> info;
  std::string first_problem;
  ForEachAauxCopy(frame, system, kAudioSourcePack, 0, SequencesPerFrame(system),
                  [&](const DvPack& pack, std::size_t) {
                    std::string problem = SourcePackProblem(pack, system);
                    if (problem.empty()) {
                      info = InfoFromSourcePack(pack, system);
                      return true;
                    }
                    if (first_problem.empty()) first_problem = std::move(problem);
                    return false;
                  });
  if (!info) {
    if (!first_problem.empty()) throw DvAudioError("no usable audio source pack: " + first_problem);
    throw DvAudioError("the frame holds no audio source pack");
  }
  if (info->pairs == 2) info->second_pair_recorded = SecondPairRecorded(frame, system);
  return *info;
}

void DecodeDvAudio(std::span<const std::uint8_t> frame, DvAudioFrame& out) {
  const DvSystem system = RequireSystem(frame);
  if (frame.size() < FrameBytes(system)) {
    throw DvAudioError("a " + std::string(SystemName(system)) + " frame needs " +
                       std::to_string(FrameBytes(system)) + " bytes, the buffer holds " +
                       std::to_string(frame.size()));
  }
  out.info = ReadDvAudioInfo(frame);
  if (out.info.samples > AudioHalfCapacity(system, out.info.bits == 16 ? 2 : 3)) {
    throw DvAudioError("audio pack gives more samples than the frame has room for");
  }
  if (out.info.bits == 16) {
    Decode16Bit(frame, out.info, out.pcm[0]);
    out.pcm[1].clear();
  } else {
    Decode12Bit(frame, out.info, 0, out.pcm[0]);
    Decode12Bit(frame, out.info, 1, out.pcm[1]);
  }
}

DvAudioFrame DecodeDvAudio(std::span<const std::uint8_t> frame) {
  DvAudioFrame out;
  DecodeDvAudio(frame, out);
  return out;
}

}  // namespace korvid::media
