#include "list/file_sources.h"

#include "list/dir_scan.h"
#include "list/uri_list.h"
#include "resources/string_table.h"

namespace korvid::list {

namespace {

using resources::Text;

std::string StatusText(Text text) { return std::string(resources::Str(text)); }

void AddAll(VideoList& list, const std::vector<std::string>& paths, bool stopOnAbort) {
  for (const std::string& path : paths) {
    if (path.size() > kMaxDroppedNameLength) continue;
    list.AddFile(path);
    if (stopOnAbort && list.Flags().AbortCommand) break;
  }
}

}  // namespace

void AddChosenFiles(VideoList& list, const std::vector<std::string>& paths) {
  list.BeginBatch(StatusText(Text::kLoadingFiles));
  AddAll(list, paths, true);
  list.EndBatch();
}

void PasteFiles(VideoList& list, std::string_view uriList) {
  list.BeginBatch(StatusText(Text::kPasteFiles));
  AddAll(list, FilesFromUriList(uriList), true);
  list.EndBatch();
}

void AddDroppedFiles(VideoList& list, const std::vector<std::string>& paths) {
  list.BeginBatch(StatusText(Text::kOpenDroppedFiles));
  AddAll(list, paths, false);
  list.EndBatch();
}

bool ScanInBatch(VideoList& list, const std::string& folder, bool sameFileSystem) {
  TDirscan scanner;
  scanner.recursive = true;
  scanner.Masque = "*.*";
  scanner.sameFileSystem = sameFileSystem;
  scanner.SetDirectory(folder);
  // Escape seen while events run stops the walk before the next folder.
  scanner.ProcessEvents = [&list, &scanner] {
    list.View().ProcessEvents();
    if (list.Flags().AbortCommand) scanner.Stop();
  };
  scanner.OnDirWithFiles = [&list](TDirscan&, const std::string& directory) {
    list.View().SetStatusText(resources::Fill(Text::kBrowsingFolder, {directory}));
  };
  scanner.OnFileFound = [&list](TDirscan& sender, const std::string& file) {
    list.AddFile(file);
    if (list.Flags().AbortCommand) sender.Stop();
  };
  scanner.Scan();
  return !list.Flags().AbortCommand;
}

void ScanFolderIntoList(VideoList& list, const std::string& folder, const std::string& message) {
  list.BeginBatch(message);
  if (!list.Flags().AbortCommand) ScanInBatch(list, folder, false);
  list.EndBatch();
}

void OpenAllIntoList(VideoList& list, const std::vector<std::string>& mountPoints) {
  list.BeginBatch(StatusText(Text::kLoadingAllAviFiles));
  for (const std::string& point : mountPoints)
    if (!ScanInBatch(list, point, true)) break;
  list.EndBatch();
}

}  // namespace korvid::list
