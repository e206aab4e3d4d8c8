#pragma once
// The local files a drop or the clipboard carries, from the desktop's
// file list formats: text/uri-list and x-special/gnome-copied-files.

#include <string>
#include <vector>

class QMimeData;

namespace korvid::ui {

// In the order given; empty when `data` is null or carries no local file.
std::vector<std::string> FilesOf(const QMimeData* data);

}  // namespace korvid::ui
