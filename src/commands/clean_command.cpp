#include "commands/clean_command.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "settings/file_replacement.h"
#include "resources/printable_text.h"
#include "resources/string_table.h"

namespace korvid::commands {
namespace {

namespace fs = std::filesystem;
using resources::Text;

// Every name this command prints passes here.
std::string ShownName(const fs::path& path) { return resources::Printable(path.string()); }

// Whether a running AtomicOutput holds the file's lock. A file that cannot
// be opened is not known to be in use.
bool InUse(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return false;
  const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);
  return held;
}

struct Tally {
  std::uint64_t files = 0;
  std::uint64_t bytes = 0;
  bool failed = false;
};

void CleanFile(const fs::path& path, std::uint64_t size, bool remove, Tally& tally, std::ostream& out,
               std::ostream& err) {
  if (InUse(path)) {
    out << resources::Fill(Text::kCleanInUse, {ShownName(path)});
    return;
  }
  ++tally.files;
  tally.bytes += size;
  out << size << '\t' << ShownName(path) << '\n';
  if (!remove) return;
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
    err << resources::Fill(Text::kCleanRemoveFailed, {ShownName(path), std::strerror(errno)});
    tally.failed = true;
  }
}

void CleanFolder(const fs::path& folder, bool remove, Tally& tally, std::ostream& out, std::ostream& err) {
  std::error_code error;
  fs::recursive_directory_iterator walk(folder, fs::directory_options::skip_permission_denied, error);
  for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
    const fs::directory_entry& entry = *walk;
    std::error_code ignored;
    if (!settings::IsTemporaryName(entry.path().filename().string()) || !entry.is_regular_file(ignored) ||
        entry.is_symlink(ignored))
      continue;
    struct stat facts {};
    if (::lstat(entry.path().c_str(), &facts) != 0) continue;
    CleanFile(entry.path(), static_cast<std::uint64_t>(facts.st_size), remove, tally, out, err);
  }
  if (error) {
    err << resources::Fill(Text::kCleanFolderUnreadable, {ShownName(folder), error.message()});
    tally.failed = true;
  }
}

}  // namespace

int RunCleanCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  bool remove = false;
  std::vector<fs::path> folders;
  for (const std::string& argument : arguments) {
    if (argument == "--yes")
      remove = true;
    else
      folders.emplace_back(argument);
  }
  if (folders.empty()) {
    err << resources::Str(Text::kCleanNeedsFolder);
    return 2;
  }
  Tally tally;
  for (const fs::path& folder : folders) {
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
      err << resources::Fill(Text::kCleanNotAFolder, {ShownName(folder)});
      tally.failed = true;
      continue;
    }
    CleanFolder(folder, remove, tally, out, err);
  }
  out << resources::Fill(remove ? Text::kCleanRemoved : Text::kCleanFound,
                         {std::to_string(tally.files), std::to_string(tally.bytes)});
  return tally.failed ? 1 : 0;
}

}  // namespace korvid::commands
