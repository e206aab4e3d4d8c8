#include "media/binary_file.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>
#include <utility>

namespace korvid::media {
namespace {

std::string Describe(const std::filesystem::path& path, const char* what) {
  return std::string(what) + " " + path.string() + ": " + std::strerror(errno);
}

int OpenFlags(BinaryFile::Mode mode) {
  switch (mode) {
    case BinaryFile::Mode::kRead: return O_RDONLY;
    case BinaryFile::Mode::kReadWrite: return O_RDWR;
    case BinaryFile::Mode::kCreate: return O_RDWR | O_CREAT | O_TRUNC;
    case BinaryFile::Mode::kCreateNew: return O_RDWR | O_CREAT | O_EXCL;
  }
  return O_RDONLY;
}

}  // namespace

BinaryFile::BinaryFile(const std::filesystem::path& path, Mode mode) : path_(path) {
  // Without O_NONBLOCK, opening a FIFO waits for a writer, maybe forever;
  // once the file is known to be a regular one the flag is dropped again.
  fd_ = ::open(path.c_str(), OpenFlags(mode) | O_CLOEXEC | O_NONBLOCK, 0644);
  if (fd_ < 0) throw FileError(Describe(path, "cannot open"));
  struct stat st {};
  if (::fstat(fd_, &st) != 0) {
    const std::string why = Describe(path, "cannot stat");
    Close();
    throw FileError(why);
  }
  if (!S_ISREG(st.st_mode)) {
    Close();
    const char* why = S_ISDIR(st.st_mode) ? ": it is a folder" : ": it is not a regular file";
    throw FileError("cannot open " + path.string() + why);
  }
  const int flags = ::fcntl(fd_, F_GETFL);
  if (flags < 0 || ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    const std::string why = Describe(path, "cannot open");
    Close();
    throw FileError(why);
  }
}

BinaryFile::~BinaryFile() { Close(); }

BinaryFile::BinaryFile(BinaryFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

BinaryFile& BinaryFile::operator=(BinaryFile&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
  }
  return *this;
}

void BinaryFile::Close() noexcept {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

std::uint64_t BinaryFile::Size() const {
  struct stat st {};
  if (::fstat(fd_, &st) != 0) throw FileError(Describe(path_, "cannot stat"));
  return static_cast<std::uint64_t>(st.st_size);
}

std::size_t BinaryFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t n = ::pread(fd_, out.data() + done, out.size() - done,
                              static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FileError(Describe(path_, "cannot read"));
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

bool BinaryFile::ReadExactAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
  return ReadAt(offset, out) == out.size();
}

void BinaryFile::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::pwrite(fd_, data.data() + done, data.size() - done,
                               static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FileError(Describe(path_, "cannot write"));
    }
    done += static_cast<std::size_t>(n);
  }
}

void BinaryFile::WriteAt(std::uint64_t offset, std::initializer_list<std::span<const std::uint8_t>> parts) {
  constexpr std::size_t kMaxParts = 8;
  if (parts.size() > kMaxParts) {
    for (const auto part : parts) {
      WriteAt(offset, part);
      offset += part.size();
    }
    return;
  }
  std::array<iovec, kMaxParts> vec{};
  std::size_t count = 0;
  for (const auto part : parts) {
    if (part.empty()) continue;
    vec[count++] = iovec{const_cast<std::uint8_t*>(part.data()), part.size()};
  }
  std::size_t first = 0;
  while (first < count) {
    const ssize_t n = ::pwritev(fd_, vec.data() + first, static_cast<int>(count - first), static_cast<off_t>(offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FileError(Describe(path_, "cannot write"));
    }
    // A short write resumes where it stopped, mid-part if need be.
    auto left = static_cast<std::size_t>(n);
    offset += left;
    while (first < count && left >= vec[first].iov_len) left -= vec[first++].iov_len;
    if (first < count) {
      vec[first].iov_base = static_cast<std::uint8_t*>(vec[first].iov_base) + left;
      vec[first].iov_len -= left;
    }
  }
}

void BinaryFile::Truncate(std::uint64_t size) {
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) throw FileError(Describe(path_, "cannot truncate"));
}

void BinaryFile::Sync() {
  if (::fsync(fd_) != 0) throw FileError(Describe(path_, "cannot sync"));
}

bool BinaryFile::LockExclusive() noexcept { return ::flock(fd_, LOCK_EX | LOCK_NB) == 0; }

void BinaryFile::AdviseSequential() const noexcept { ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL); }

void BinaryFile::StartWriteBack(std::uint64_t offset, std::uint64_t length) noexcept {
  ::sync_file_range(fd_, static_cast<off_t>(offset), static_cast<off_t>(length), SYNC_FILE_RANGE_WRITE);
}

void BinaryFile::WaitWriteBack(std::uint64_t offset, std::uint64_t length) noexcept {
  ::sync_file_range(fd_, static_cast<off_t>(offset), static_cast<off_t>(length),
                    SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
}

}  // namespace korvid::media
