#pragma once
// Replacing a file with new content so that, whatever happens, the name
// holds either the old content or the new one, whole: the new content goes
// into a hidden temporary beside the file, is flushed to the disk with every
// return checked, and only then renamed over the file, whose folder is
// flushed in turn. Every file the program writes goes this way; the media
// outputs that are written piece by piece share the temporary's naming and
// the flush of the folder.

#include <filesystem>
#include <string_view>

namespace korvid::settings {

// A fresh hidden name beside `target` (".NAME.korvid-" and random hex),
// which no folder scan takes for a video.
std::filesystem::path TemporaryPathFor(const std::filesystem::path& target);

// Whether `fileName` (no folder) has the form of those temporaries.
bool IsTemporaryName(std::string_view fileName);

// Flushes the folder so that a rename in it lasts. Returns 0 or the
// system's error number; a file system that cannot flush folders is no error.
int SyncFolder(const std::filesystem::path& folder) noexcept;

// Replaces the file (the file a symbolic link leads to, for a link) with
// exactly `bytes`; a new file gets the usual permissions, an existing one
// keeps its own. A file that already holds exactly `bytes` is left as it
// is, times included. Returns 0, or the system's error number with the file as
// it was and no temporary left behind. Only a program fault throws.
int ReplaceFile(const std::filesystem::path& target, std::string_view bytes);

}  // namespace korvid::settings
