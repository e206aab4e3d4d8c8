#pragma once
// The user's own data folder by the freedesktop base-directory rules.

#include <string>

namespace korvid::commands {

// $XDG_DATA_HOME when it is absolute (a relative one is to be ignored),
// else ~/.local/share; empty when there is no home to speak of.
std::string UserDataHome();

// Makes the folder and its missing parents, each private to the user, as
// the base-directory rules ask; true when the folder is there.
bool MakePrivateFolders(const std::string& path);

}  // namespace korvid::commands
