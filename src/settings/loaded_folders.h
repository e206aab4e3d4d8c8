#pragma once
// Tidying the folder preferences once they are loaded at start-up.

#include <string>

#include "settings/preferences.h"

namespace korvid::settings {

// The folder with exactly one path separator at its end ("" stays "").
std::string WithTrailingSeparator(std::string folder);

// Gives the four folders their trailing separator and, when the output
// folder does not exist, makes conversions write beside their source.
void SettleLoadedFolders(Preferences& preferences);

}  // namespace korvid::settings
