#pragma once
// The files that belong to one video and sit beside it under a derived
// name: the scene file, the scene text, subtitles, the frame log, the
// sound and the MP4. Usually the video's name with its extension replaced
// ("clip.scn"); but two videos of one folder that differ only in the case
// of their extension ("clip.avi", "clip.AVI") would share that name, so
// then each keeps its whole name ("clip.AVI.scn").

#include <string>
#include <string_view>

namespace korvid::media {

// Whether another entry of the video's folder has the same name but for
// the case of its extension.
bool HasCaseSibling(std::string_view video);

// The companion of `video` with `suffix` (which brings its own dot or
// underscore), as this video owns it: the whole-name form when it exists
// or when a case sibling does, else the name with the extension replaced.
std::string CompanionPath(std::string_view video, std::string_view suffix);

}  // namespace korvid::media
