#pragma once
// The playlist file: the full paths of the list's entries in list order,
// between a commented header and footer. UTF-8 text, lines ended by CR LF.
// Loading adds to the list and never empties it.

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "list/video_list.h"
#include "settings/date_time_format.h"
#include "resources/user_error.h"

namespace korvid::list {

inline constexpr std::string_view kDefaultPlaylistName = "PlayList.txt";
inline constexpr std::string_view kPlaylistDialogFilter = "playlist (*.txt)|*.txt";

class PlaylistError : public UserError {
 public:
  using UserError::UserError;
};

// What the header and footer carry besides the paths.
struct PlaylistStamp {
  std::string version;     // the program's version text
  std::string webAddress;  // the maker's
  settings::DateTimeValue now;
  std::string dateFormat;  // the datecode display format
  settings::LocaleFormats locale;
};

// The stamp for now: the version text, the system locale and clock.
PlaylistStamp CurrentPlaylistStamp(const std::string& dateFormat);

// The whole file for these paths.
std::string PlaylistText(const std::vector<std::string>& fullPaths, int order, const PlaylistStamp& stamp);
// The entry lines of a playlist text: trimmed, without blank and "#" lines.
std::vector<std::string> PlaylistPaths(std::string_view text);

// Replaces the file as a whole: a failed save leaves any old playlist as
// it was. Throws PlaylistError saying what failed.
void SavePlaylist(VideoList& list, const std::filesystem::path& path, const PlaylistStamp& stamp);
// Adds the listed files; a missing or unreadable file adds nothing and says nothing.
void LoadPlaylist(VideoList& list, const std::filesystem::path& path);

// `playlistFolder` (kept with a trailing separator) + "PlayList.txt".
std::filesystem::path DefaultPlaylistPath(const std::string& playlistFolder);

}  // namespace korvid::list
