#pragma once
// The ways files reach the video list, each one batch with its status
// text: chosen files, the clipboard, a drop, folder scans and "Open all".

#include <string>
#include <string_view>
#include <vector>

#include "list/video_list.h"

namespace korvid::list {

// Files chosen in the open dialog, in dialog order; an abort stops after the current file.
void AddChosenFiles(VideoList& list, const std::vector<std::string>& paths);
// The files of a text/uri-list clipboard text; an abort stops after the current file.
void PasteFiles(VideoList& list, std::string_view uriList);
// Dropped files, every one of them.
void AddDroppedFiles(VideoList& list, const std::vector<std::string>& paths);

// A recursive scan of one folder, as one batch with `message`
// ("Browsing the folder" for the preferred folder, "Browsing a folder").
void ScanFolderIntoList(VideoList& list, const std::string& folder, const std::string& message);
// Every local fixed file system, each scanned without leaving it.
void OpenAllIntoList(VideoList& list, const std::vector<std::string>& mountPoints);

// Scans `folder` into the list inside an already open batch; false when aborted.
bool ScanInBatch(VideoList& list, const std::string& folder, bool sameFileSystem);

}  // namespace korvid::list
