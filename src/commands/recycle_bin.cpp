#include "commands/recycle_bin.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "commands/rename_commands.h"
#include "commands/user_data_home.h"

namespace korvid::commands {
namespace {

// Enough for any trash a person keeps; a bound for a hostile one.
constexpr int kMaxNameAttempts = 1000;

bool StatOf(const std::string& path, struct stat& facts) { return ::lstat(path.c_str(), &facts) == 0; }

std::string FolderPart(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NamePart(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Joined(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

// The file's path from the root, its folder resolved but the file itself
// not (a link is trashed as the link).
std::string AbsolutePath(const std::string& path) {
  char resolved[PATH_MAX];
  if (::realpath(FolderPart(path).c_str(), resolved) == nullptr) return {};
  return Joined(resolved, NamePart(path));
}

// The device a path is on, or would be on once made: that of its nearest
// existing folder.
bool DeviceOf(std::string path, dev_t& device) {
  for (;;) {
    struct stat facts {};
    if (::stat(path.c_str(), &facts) == 0) {
      device = facts.st_dev;
      return true;
    }
    if (path == "/" || path.empty()) return false;
    path = FolderPart(path);
  }
}

// A folder of the user's own: made private when missing, and then a real
// folder (not a link) that belongs to the user.
bool OwnFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat facts {};
  return StatOf(path, facts) && S_ISDIR(facts.st_mode) && facts.st_uid == ::geteuid();
}

// The top folder of the mount that holds `folder`.
std::string TopOfMount(std::string folder, dev_t device) {
  while (folder != "/") {
    const std::string parent = FolderPart(folder);
    struct stat facts {};
    if (::stat(parent.c_str(), &facts) != 0 || facts.st_dev != device) break;
    folder = parent;
  }
  return folder;
}

// $topdir/.Trash/$uid when $topdir/.Trash is a sticky folder and no link,
// else $topdir/.Trash-$uid; empty when neither can be had.
std::string MountTrash(const std::string& top) {
  const std::string uid = std::to_string(::geteuid());
  const std::string shared = Joined(top, ".Trash");
  struct stat facts {};
  if (StatOf(shared, facts) && S_ISDIR(facts.st_mode) && (facts.st_mode & S_ISVTX) != 0) {
    const std::string own = Joined(shared, uid);
    if (OwnFolder(own)) return own;
  }
  const std::string own = Joined(top, ".Trash-" + uid);
  return OwnFolder(own) ? own : std::string();
}

// Bytes other than the unreserved ones and "/" as %XX.
std::string PercentEncoded(const std::string& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
                       c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
    if (plain) {
      out += c;
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    }
  }
  return out;
}

std::string TrashInfo(const std::string& recordedPath) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  char date[32];
  std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
  return "[Trash Info]\nPath=" + PercentEncoded(recordedPath) + "\nDeletionDate=" + date + "\n";
}

bool WriteNew(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return ::fsync(fd) == 0;
}

enum class Placed { kDone, kNameTaken, kFailed };

// The note first, made so that it cannot replace another; then the file.
Placed PlaceUnder(const std::string& trash, const std::string& file, const std::string& name,
                  const std::string& recordedPath) {
  const std::string info = Joined(Joined(trash, "info"), name + ".trashinfo");
  const int fd = ::open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return errno == EEXIST ? Placed::kNameTaken : Placed::kFailed;
  const bool written = WriteNew(fd, TrashInfo(recordedPath));
  const bool closed = ::close(fd) == 0;
  if (!written || !closed) {
    ::unlink(info.c_str());
    return Placed::kFailed;
  }
  const MoveOutcome moved = MoveNoReplace(file, Joined(Joined(trash, "files"), name));
  if (moved == MoveOutcome::kMoved) return Placed::kDone;
  ::unlink(info.c_str());
  return moved == MoveOutcome::kTargetExists ? Placed::kNameTaken : Placed::kFailed;
}

bool MoveInto(const std::string& trash, const std::string& file, const std::string& recordedPath,
              const struct stat& original) {
  if (trash.empty() || !OwnFolder(Joined(trash, "files")) || !OwnFolder(Joined(trash, "info"))) return false;
  struct stat folder {};
  // A rename cannot cross file systems; a trash elsewhere is no trash for this file.
  if (::stat(Joined(trash, "files").c_str(), &folder) != 0 || folder.st_dev != original.st_dev) return false;
  const std::string name = NamePart(file);
  for (int n = 1; n <= kMaxNameAttempts; ++n) {
    const std::string candidate = n == 1 ? name : name + "." + std::to_string(n);
    const Placed placed = PlaceUnder(trash, file, candidate, recordedPath);
    if (placed == Placed::kFailed) return false;
    if (placed == Placed::kNameTaken) continue;
    // Check that the very file arrived and nothing stayed behind.
    struct stat arrived {};
    struct stat left {};
    return StatOf(Joined(Joined(trash, "files"), candidate), arrived) && arrived.st_dev == original.st_dev &&
           arrived.st_ino == original.st_ino && !StatOf(file, left) && errno == ENOENT;
  }
  return false;
}

}  // namespace

bool MoveToRecycleBin(const std::filesystem::path& path) {
  const std::string file = AbsolutePath(path.native());
  struct stat original {};
  if (file.empty() || NamePart(file).empty() || !StatOf(file, original)) return false;

  const std::string dataHome = UserDataHome();
  dev_t homeDevice = 0;
  if (!dataHome.empty() && DeviceOf(Joined(dataHome, "Trash"), homeDevice) && homeDevice == original.st_dev) {
    const std::string trash = Joined(dataHome, "Trash");
    return MakePrivateFolders(trash) && MoveInto(trash, file, file, original);
  }
  const std::string top = TopOfMount(FolderPart(file), original.st_dev);
  const std::string relative = top == "/" ? file.substr(1) : file.substr(top.size() + 1);
  return MoveInto(MountTrash(top), file, relative, original);
}

}  // namespace korvid::commands
