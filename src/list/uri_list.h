#pragma once
// The clipboard's list of files: the text/uri-list form, one file URL per
// line, lines ended by CR LF, "#" lines being comments.

#include <string>
#include <string_view>
#include <vector>

namespace korvid::list {

inline constexpr std::string_view kUriListMimeType = "text/uri-list";
// Longer names are skipped when pasted or dropped.
inline constexpr std::size_t kMaxDroppedNameLength = 65530;

// The local paths of the list in order; non-file URLs are left out.
std::vector<std::string> FilesFromUriList(std::string_view text);
// The list for the given absolute paths.
std::string UriListOf(const std::vector<std::string>& paths);

}  // namespace korvid::list
