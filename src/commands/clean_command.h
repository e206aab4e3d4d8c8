#pragma once
// `korvid --clean [--yes] FOLDER...`: what a killed run or a power cut left
// behind is never removed unasked. The temporaries of Korvid's own naming
// (settings::IsTemporaryName) in the folders and their subfolders are listed
// with their sizes and, with --yes, removed; one that a running Korvid is
// still writing is named and kept.

#include <ostream>
#include <string>
#include <vector>

namespace korvid::commands {

// `arguments` are those after "--clean". Returns the exit status: 0, 1 when
// a folder cannot be read or a file cannot be removed, 2 without a folder.
int RunCleanCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace korvid::commands
