#pragma once
// The fuzz input as a file the readers can open by name, without touching
// disk: an anonymous memory file seen through /proc/self/fd.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace korvid::fuzz {

class MemoryFile {
 public:
  MemoryFile(const std::uint8_t* data, std::size_t size) : fd_(::memfd_create("korvid-fuzz", 0)) {
    std::size_t written = 0;
    while (fd_ >= 0 && written < size) {
      const ssize_t n = ::write(fd_, data + written, size - written);
      if (n <= 0) {
        ::close(fd_);
        fd_ = -1;
        break;
      }
      written += static_cast<std::size_t>(n);
    }
  }
  ~MemoryFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  bool ok() const { return fd_ >= 0; }
  std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

 private:
  int fd_ = -1;
};

}  // namespace korvid::fuzz
