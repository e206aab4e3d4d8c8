#include "settings/loaded_folders.h"

#include <filesystem>
#include <system_error>
#include <utility>

namespace korvid::settings {

std::string WithTrailingSeparator(std::string folder) {
  if (folder.empty()) return folder;
  while (folder.size() > 1 && folder.back() == '/' && folder[folder.size() - 2] == '/') {
    folder.pop_back();
  }
  if (folder.back() != '/') folder.push_back('/');
  return folder;
}

void SettleLoadedFolders(Preferences& preferences) {
  for (std::string* folder : {&preferences.openFolder, &preferences.autoOpenFolder,
                              &preferences.outputFolder, &preferences.playlistFolder}) {
    *folder = WithTrailingSeparator(std::move(*folder));
  }
  std::error_code ec;
  if (!std::filesystem::is_directory(preferences.outputFolder, ec)) {
    preferences.saveInSameFolder = true;
  }
}

}  // namespace korvid::settings
