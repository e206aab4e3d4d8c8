#pragma once
// A type-1 clip whose sound changes mode midway, as on a tape re-recorded
// in places: frames 0-24 carry unlocked 48 kHz sound of 1910 and 1930
// samples a frame, all -500; frames 25-49 carry 32 kHz sound, all 1000.

#include <cstdint>
#include <filesystem>
#include <vector>

namespace korvid::test {

inline constexpr std::int16_t kFirstModeLevel = -500;
inline constexpr std::int16_t kSecondModeLevel = 1000;

// Written into `dir` from the standard PAL type-1 sample; returns its path.
std::filesystem::path WriteModeChangeClip(const std::filesystem::path& dir);

// Every frame of a DV AVI (either type), in order.
std::vector<std::vector<std::uint8_t>> ReadAllDvFrames(const std::filesystem::path& path);

}  // namespace korvid::test
