#pragma once
// The contact sheet's shape and the names of its pages, known without
// drawing one.

#include <cstddef>
#include <filesystem>

namespace korvid::graphs {

inline constexpr int kDefaultSheetColumns = 5;
inline constexpr int kMaxSheetColumns = 16;
// More scenes go on further pages, so that no page grows past what an
// image viewer shows comfortably.
inline constexpr std::size_t kScenesPerSheetPage = 200;
// Lines of each still; the width follows the display shape.
inline constexpr int kSheetStillHeight = 180;

// "clip_sheet.png" for page 1, "clip_sheet-2.png" for page 2, and so on.
std::filesystem::path SheetPagePath(const std::filesystem::path& first, std::size_t page);

}  // namespace korvid::graphs
