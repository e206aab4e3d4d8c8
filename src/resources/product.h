#pragma once
// What the program says about itself: in reports, saved preferences,
// playlists, scene texts and --version. The version is the CMake project
// version, handed in as KORVID_VERSION, so every output carries the same one.

#include <string_view>

namespace korvid::resources {

inline constexpr std::string_view kProductName = "Korvid";
inline constexpr std::string_view kMakerName = "Marovec";
inline constexpr std::string_view kMakerWebAddress = "https://korvid.example.org";
inline constexpr std::string_view kProductVersion = KORVID_VERSION;

}  // namespace korvid::resources
