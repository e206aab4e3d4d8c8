#pragma once
// Deleting to the desktop's trash, so that the user can still get the file
// back: the freedesktop.org trash, that is the home trash for files on the
// home's file system and a trash at the top of any other mount
// ($topdir/.Trash/$uid when the administrator made one, else
// $topdir/.Trash-$uid). Where no such trash can take the file, it stays
// where it is: nothing is ever deleted outright.

#include <filesystem>

namespace korvid::commands {

// True exactly when the file is now in a trash, beside the note that lets
// it be restored. The path is bytes as the file system has them; letter
// case matters on this platform.
bool MoveToRecycleBin(const std::filesystem::path& path);

}  // namespace korvid::commands
