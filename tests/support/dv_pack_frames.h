#pragma once
// DV frames for pack tests: synthetic ones with empty pack areas, the real
// camcorder frames, and frames made by ffmpeg's DV encoder and muxer.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "media/dv_frame.h"
#include "media/dv_packs.h"

namespace korvid::test {

// A whole frame whose every sequence has a header block (AP3 as given) and
// subcode and VAUX blocks with all pack slots empty (0xFF).
std::vector<std::uint8_t> BlankDvFrame(media::DvSystem system, std::uint8_t ap3 = 0);

// Copies `pack` to `offset`.
void PutPack(std::vector<std::uint8_t>& frame, std::size_t offset, const media::DvPack& pack);

// The tests' own reading of the packs at their fixed first-sequence
// positions (bytes 86, 453, 458 and 463), kept apart from the program's
// reader so that its outputs are checked by other code: timecode (hours
// 255 when the pack is missing or blank), datecode (year -1 without both
// packs) and the 16:9 flag (display select 2, or 7 with AP3 = 0).
media::TTimecode FixedTimecode(std::span<const std::uint8_t> frame);
media::TDatecode FixedDatecode(std::span<const std::uint8_t> frame);
bool FixedWide(std::span<const std::uint8_t> frame);

// Blanks (0xFF) every recording date and time pack of the frame, in every
// VAUX slot of every sequence: an undated frame, as a camcorder that lost
// its clock writes it.
void BlankDatePacks(std::span<std::uint8_t> frame);

// Blanks every pack slot of the first DIF sequence, as a tape dropout would.
void BlankFirstSequencePacks(std::vector<std::uint8_t>& frame);

// The first `bytes` of a real fixture file; empty when absent.
std::vector<std::uint8_t> ReadRealFixture(const std::string& name);

// Raw DV made by ffmpeg from its test pattern; empty on failure. `extra`
// goes before the output name (e.g. -timecode, -metadata creation_time=).
std::vector<std::uint8_t> MakeFfmpegDv(const std::filesystem::path& out, media::DvSystem system,
                                       int frames, const std::vector<std::string>& extra);

// A field of mediainfo's JSON report ("Recorded_Date", "TimeCode_FirstFrame",
// "DisplayAspectRatio"), the first track that has it; empty when none.
std::string MediaInfoField(const std::filesystem::path& file, const std::string& field);

}  // namespace korvid::test
