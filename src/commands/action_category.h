#pragma once
// The categories an action belongs to: which view state offers it (always,
// an empty list, a list, one current entry, a selection).

#include <string_view>

namespace korvid::commands {

// Category texts as the actions carry them; their numbers for the view state.
inline constexpr std::string_view kPermanent = "permanent";
inline constexpr std::string_view kVide = "vide";
inline constexpr std::string_view kListe = "liste";
inline constexpr std::string_view kMono = "mono";
inline constexpr std::string_view kMulti = "multi";

// 1 "permanent" ... 5 "multi"; any other text 0.
constexpr int CategoryNumber(std::string_view category) {
  if (category == kPermanent) return 1;
  if (category == kVide) return 2;
  if (category == kListe) return 3;
  if (category == kMono) return 4;
  if (category == kMulti) return 5;
  return 0;
}

}  // namespace korvid::commands
