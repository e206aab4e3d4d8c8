#pragma once
// What a re-encoded frame keeps of the camcorder's frame it was made from:
// the application IDs of its header blocks and every VAUX and AAUX pack
// (camera, shutter, source control ...), changing only what the output's
// TV system and its newly written sound require. The encoders write only
// the few packs they need; without this the camera data would be lost and
// a consumer frame would come out announcing another variant of DV.
//
// Sequences are matched half for half and even with even, since the
// standard lays the packs out differently in even and odd sequences and
// the sound in two halves of the frame.

#include <cstdint>
#include <span>

namespace korvid::media {

// Copies the source's APT and AP1-AP3 and its VAUX packs onto `output`;
// the VAUX source pack gets the output's 50/60 flag. Call it before the
// output's recording date, timecode and aspect are rewritten. Does
// nothing unless both buffers hold whole DV frames.
void CarryVideoPacks(std::span<std::uint8_t> output, std::span<const std::uint8_t> source);

// Copies the source's AAUX packs onto `output`, whose sound was just
// written: its own source packs keep their sample count and 50/60 flag,
// and stand unchanged wherever the source's describe another sound mode.
void CarryAudioPacks(std::span<std::uint8_t> output, std::span<const std::uint8_t> source);

}  // namespace korvid::media
