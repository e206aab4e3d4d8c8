#include "list/dir_scan.h"

#include <fnmatch.h>
#include <sys/stat.h>

#include <filesystem>
#include <system_error>

namespace korvid::list {

namespace fs = std::filesystem;

namespace {

// The device of a folder itself, links not followed; 0 when unknown.
unsigned long long DeviceOf(const std::string& path) {
  struct stat facts {};
  if (::lstat(path.c_str(), &facts) != 0) return 0;
  return static_cast<unsigned long long>(facts.st_dev);
}

}  // namespace

void TDirscan::SetDirectory(const std::string& directory) {
  directory_ = directory;
  if (directory_.empty() || directory_.back() != '/') directory_ += '/';
}

bool TDirscan::Matches(const std::string& name) const {
  if (Masque.empty() || Masque == "*.*" || Masque == "*") return true;
  return ::fnmatch(Masque.c_str(), name.c_str(), FNM_CASEFOLD) == 0;
}

void TDirscan::Scan() {
  std::error_code error;
  if (directory_.empty() || !fs::is_directory(directory_, error)) return;
  active_ = true;
  if (OnStartScan) OnStartScan(*this, directory_, Masque, recursive);
  ScanFolder(directory_, sameFileSystem ? DeviceOf(directory_) : 0);
  if (OnEndScan) OnEndScan(*this, directory_, Masque, recursive);
}

void TDirscan::ScanFolder(const std::string& folder, unsigned long long device) {
  if (OnStartFolder) OnStartFolder(*this, folder);
  std::error_code error;
  fs::directory_iterator entries(folder, fs::directory_options::skip_permission_denied, error);
  if (error) {
    if (OnEndFolder) OnEndFolder(*this, folder);
    return;
  }

  bool announced = false;
  for (const fs::directory_entry& entry : entries) {
    const std::string name = entry.path().filename().string();
    std::error_code kind_error;
    // symlink_status: a link is never taken for the folder it points to.
    const bool is_folder = fs::is_directory(entry.symlink_status(kind_error));
    const bool is_link = fs::is_symlink(entry.symlink_status(kind_error));
    const bool matches = Matches(name);
    if (matches && !announced) {
      announced = true;
      if (OnDirWithFiles) OnDirWithFiles(*this, folder);
    }
    if (is_folder) {
      if (!recursive) continue;
      if (ProcessEvents) ProcessEvents();
      if (!active_) break;
      const std::string sub = folder + name + '/';
      if (device != 0 && DeviceOf(sub) != device) continue;
      ScanFolder(sub, device);
      if (!active_) break;
    } else if (matches) {
      // A link to a folder is neither walked nor reported as a file.
      if (is_link && fs::is_directory(entry.path(), kind_error)) continue;
      if (!active_) break;
      const bool regular = fs::is_regular_file(entry.path(), kind_error);
      const TdsFileEvent& event = regular ? OnFileFound : OnOtherFound;
      if (event) event(*this, folder + name);
    }
  }
  if (OnEndFolder) OnEndFolder(*this, folder);
}

}  // namespace korvid::list
