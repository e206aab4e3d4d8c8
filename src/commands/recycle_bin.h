#pragma once
// Deleting to the desktop's trash, so that the user can still get the file back.

#include <filesystem>

namespace korvid::commands {

// True exactly when the file went to the trash. The path is taken as it
// stands: letter case matters on this platform.
bool MoveToRecycleBin(const std::filesystem::path& path);

}  // namespace korvid::commands
