#pragma once
// The sound of a 25 Mbit/s DV frame: its description, read from the AAUX
// source pack that every sequence repeats in its audio blocks, and its
// samples as signed 16-bit PCM. Samples the tape lost (the error codes
// 0x8000 and 0x800) come out as silence rather than as full-scale clicks.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "media/dv_audio_format.h"
#include "media/dv_frame.h"
#include "media/dv_packs.h"

namespace korvid::media {

inline constexpr std::uint8_t kAudioSourcePack = 0x50;
inline constexpr std::uint8_t kAudioControlPack = 0x51;
inline constexpr std::uint8_t kAudioRecordingDatePack = 0x52;
inline constexpr std::uint8_t kAudioRecordingTimePack = 0x53;

struct DvAudioInfo {
  DvSystem system = DvSystem::k525_60;
  DvAudioRate rate = DvAudioRate::k48000;
  int sample_rate = 0;       // Hz
  int bits = 16;             // as stored: 16 linear or 12 non-linear
  int channels = 2;          // 4 for 12-bit samples at 32 kHz: two stereo pairs
  int pairs = 1;
  std::size_t samples = 0;   // per channel, in this frame
  bool locked = false;       // sample clock locked to the video clock
  // Four-channel frames only: whether the second half of the frame names a
  // recorded pair. Camcorders leave it silent and marked "no information"
  // unless sound was dubbed onto it.
  bool second_pair_recorded = false;
};

struct DvAudioFrame {
  DvAudioInfo info;
  // Interleaved left/right PCM per stereo pair: pcm[0] is channels 1-2,
  // pcm[1] channels 3-4 (empty for a one-pair frame).
  std::array<std::vector<std::int16_t>, 2> pcm;
};

// The first copy of AAUX pack `header` in the frame's audio blocks: the
// position the standard gives it, sequence by sequence, then any audio
// block. Blocks beyond the end of the buffer are not looked at.
std::optional<DvPack> FindAauxPack(std::span<const std::uint8_t> frame, std::uint8_t header);

// The frame's sound format, from the first source pack whose fields make
// sense. Needs only the blocks holding a pack, so a truncated frame may do.
// Throws DvAudioError when the buffer holds no DV header, no source pack or
// only packs with impossible values.
DvAudioInfo ReadDvAudioInfo(std::span<const std::uint8_t> frame);

// The frame's sound. Throws DvAudioError as ReadDvAudioInfo does, and when
// the buffer is shorter than a whole frame.
DvAudioFrame DecodeDvAudio(std::span<const std::uint8_t> frame);
// The same into `out`, reusing its buffers from frame to frame.
void DecodeDvAudio(std::span<const std::uint8_t> frame, DvAudioFrame& out);

}  // namespace korvid::media
