#pragma once
// A portable copy of the built program: `korvid` and the two programs it
// hands runs over to, side by side in one folder.

#include <filesystem>

namespace korvid::test {

// Hard links where the file system allows them, copies elsewhere.
void PlaceKorvidPrograms(const std::filesystem::path& folder);

}  // namespace korvid::test
