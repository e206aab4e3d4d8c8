#pragma once
// The folder scanner: walks a folder depth first and reports the files
// matching a mask. Symbolic links to folders are not followed, so a link
// loop cannot keep it walking forever; links to files are reported like files.
// Nothing found is opened.

#include <functional>
#include <string>

namespace korvid::list {

class TDirscan {
 public:
  using TdsScanEvent = std::function<void(TDirscan& sender, const std::string& directory,
                                          const std::string& masque, bool recursive)>;
  using TdsFolderEvent = std::function<void(TDirscan& sender, const std::string& directory)>;
  using TdsFileEvent = std::function<void(TDirscan& sender, const std::string& fichier)>;

  // Stored with a trailing separator.
  void SetDirectory(const std::string& directory);
  const std::string& Directory() const { return directory_; }

  bool recursive = true;
  std::string Masque = "*.*";  // "*.*" and "*" match every name; else a case-insensitive glob
  // Stay on the file system of the starting folder (for whole-disk scans).
  bool sameFileSystem = false;

  TdsScanEvent OnStartScan;
  TdsScanEvent OnEndScan;
  TdsFolderEvent OnStartFolder;
  TdsFolderEvent OnEndFolder;
  TdsFolderEvent OnDirWithFiles;
  // Regular files only (links to them included).
  TdsFileEvent OnFileFound;
  // A matching name that is neither folder nor regular file (a FIFO, a
  // socket, a device, a broken link): opening it could block or harm, so
  // it is only named.
  TdsFileEvent OnOtherFound;
  // Runs before each subfolder, so that an abort key is seen.
  std::function<void()> ProcessEvents;

  // Nothing happens when the directory does not exist.
  void Scan();
  void Stop() { active_ = false; }
  bool Active() const { return active_; }

 private:
  void ScanFolder(const std::string& folder, unsigned long long device);
  bool Matches(const std::string& name) const;

  std::string directory_;
  bool active_ = false;
};

}  // namespace korvid::list
