#include "settings/file_replacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <system_error>

namespace korvid::settings {
namespace {

namespace fs = std::filesystem;

// Leaves room in a 255-byte file name for the marker and the random tail.
constexpr std::size_t kKeptNameBytes = 200;
constexpr int kNameAttempts = 100;
constexpr std::string_view kTemporaryMarker = ".korvid-";
constexpr std::size_t kTailDigits = 16;
// Files compared before they are replaced: what this writer is used for
// (preferences, playlists, reports, desktop entries) is far smaller.
constexpr std::size_t kLargestCompared = std::size_t{16} << 20;

std::string RandomTail() {
  static thread_local std::mt19937_64 generator{std::random_device{}()};
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(generator()));
  return text;
}

// A link's own file is replaced, so that the link keeps leading to it.
fs::path ResolvedTarget(const fs::path& target) {
  std::error_code error;
  if (!fs::is_symlink(fs::symlink_status(target, error))) return target;
  const fs::path resolved = fs::weakly_canonical(target, error);
  return error ? target : resolved;
}

int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    // A write that takes nothing would repeat for ever.
    if (written == 0) return EIO;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

// Writes, flushes and closes the temporary; returns 0 or the error.
int FillTemporary(int fd, const fs::path& target, std::string_view bytes) {
  struct stat old {};
  if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode) && ::fchmod(fd, old.st_mode & 07777) != 0) {
    const int why = errno;
    ::close(fd);
    return why;
  }
  int why = WriteAll(fd, bytes);
  if (why == 0 && ::fsync(fd) != 0) why = errno;
  // A file system may report a failed write-back only when the file closes.
  if (::close(fd) != 0 && why == 0 && errno != EINTR) why = errno;
  return why;
}

// Whether `target` already holds exactly `bytes`: rewriting it would cost
// two flushes to the disk for nothing, which every start and every save
// of unchanged preferences would otherwise pay.
bool AlreadyHolds(const fs::path& target, std::string_view bytes) {
  const int fd = ::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  struct stat held {};
  bool same = ::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) &&
              static_cast<std::uint64_t>(held.st_size) == bytes.size() && bytes.size() <= kLargestCompared;
  std::string current(same ? bytes.size() : 0, '\0');
  for (std::size_t done = 0; same && done < current.size();) {
    const ssize_t n = ::read(fd, current.data() + done, current.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) same = false;
    else done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return same && current == bytes;
}

}  // namespace

fs::path TemporaryPathFor(const fs::path& target) {
  std::string name = target.filename().string();
  if (name.size() > kKeptNameBytes) name.resize(kKeptNameBytes);
  return target.parent_path() / ("." + name + std::string(kTemporaryMarker) + RandomTail());
}

bool IsTemporaryName(std::string_view fileName) {
  const std::size_t tail = kTemporaryMarker.size() + kTailDigits;
  if (fileName.size() < 2 + tail || fileName.front() != '.') return false;
  if (fileName.substr(fileName.size() - tail, kTemporaryMarker.size()) != kTemporaryMarker) return false;
  for (const char c : fileName.substr(fileName.size() - kTailDigits))
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

int SyncFolder(const fs::path& folder) noexcept {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  int why = ::fsync(fd) == 0 ? 0 : errno;
  ::close(fd);
  if (why == EINVAL || why == ENOTSUP) why = 0;
  return why;
}

int ReplaceFile(const fs::path& requested, std::string_view bytes) {
  try {
    const fs::path target = ResolvedTarget(requested);
    if (AlreadyHolds(target, bytes)) return 0;
    fs::path temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
      temporary = TemporaryPathFor(target);
      fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd < 0 && (errno != EEXIST || attempt + 1 >= kNameAttempts)) return errno;
    }
    int why = FillTemporary(fd, target, bytes);
    if (why == 0) {
      if (::rename(temporary.c_str(), target.c_str()) != 0) {
        why = errno;
      } else {
        return SyncFolder(target.parent_path());
      }
    }
    ::unlink(temporary.c_str());
    return why;
  } catch (const std::bad_alloc&) {
    return ENOMEM;
  }
}

}  // namespace korvid::settings
