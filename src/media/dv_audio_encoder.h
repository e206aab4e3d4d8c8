#pragma once
// Writes sound into a DV frame the way a DV muxer does: the AAUX packs and
// the shuffled samples of every audio block. Header, subcode, VAUX and
// video blocks, and the ID bytes of the audio blocks, are left as they are.

#include <cstdint>
#include <span>

#include "media/dv_audio_format.h"

namespace korvid::media {

// Writes one frame's sound. pair0 holds interleaved left/right samples
// (channels 1-2); its length / 2 is the frame's sample count, which must lie
// within SampleLimits for the frame's system and the mode's rate. pair1
// (channels 3-4) is for k32k12Bit4Ch only: either as long as pair0, or
// empty to leave the second pair silent and marked as not recorded.
//
// `locked` sets the locked-audio flag; 44.1 kHz has no locked mode and is
// always marked unlocked. Recording date and time packs already in the
// frame's audio blocks are kept. 16-bit samples of -32768 are written as
// -32767, since the former is the code for a lost sample.
//
// Throws DvAudioError, before writing anything, when the buffer holds no
// whole DV frame or the samples do not fit.
void EncodeDvAudio(std::span<std::uint8_t> frame, DvAudioMode mode,
                   std::span<const std::int16_t> pair0, std::span<const std::int16_t> pair1 = {},
                   bool locked = true);

// Writes the samples only, for a frame whose AAUX packs already describe
// `mode` and pair0's sample count: its packs (the second half's mode, the
// source control, an unused pair's "no information") stay as they are.
// Throws as EncodeDvAudio does.
void EncodeDvAudioSamples(std::span<std::uint8_t> frame, DvAudioMode mode, std::span<const std::int16_t> pair0,
                          std::span<const std::int16_t> pair1 = {});

}  // namespace korvid::media
