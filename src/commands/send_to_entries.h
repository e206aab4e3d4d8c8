#pragma once
// Korvid offered for AVI files by the desktop: a desktop entry in the
// user's applications folder, so that file managers list it under "Open
// with", and one in Thunar's Send To folder. These two files of the user's
// own data folder are the only ones ever written or removed.

#include <filesystem>
#include <string>

namespace korvid::commands {

struct SendToPlaces {
  // The user's data folder ($XDG_DATA_HOME); empty: nothing is done.
  std::filesystem::path dataHome;
  // The program the entries start.
  std::filesystem::path executable;
};

std::filesystem::path OpenWithEntryPath(const std::filesystem::path& dataHome);
std::filesystem::path SendToEntryPath(const std::filesystem::path& dataHome);

// Why no desktop entry can name `executable`: entries are UTF-8 text whose
// values hold no control characters (a tab, a line break), and the desktop
// drops an entry that breaks either rule. Empty when one can.
std::string DesktopEntryFault(const std::filesystem::path& executable);

// The entry's text, the program's path quoted for the Exec key; empty when
// DesktopEntryFault names a reason.
std::string DesktopEntryText(const std::filesystem::path& executable);

// Writes both entries (replacing what they held) when `on`, removes them
// when not. The desktop does without them, so a failure is no error: false
// tells that something could not be done.
bool ApplySendTo(bool on, const SendToPlaces& places);

}  // namespace korvid::commands
