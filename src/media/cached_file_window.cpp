#include "media/cached_file_window.h"

#include <algorithm>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>

namespace korvid::media {

CachedFileWindow::CachedFileWindow(const BinaryFile& file, std::size_t windowBytes)
    : fd_(file.fd_), fileSize_(file.Size()) {
  const long page = ::sysconf(_SC_PAGESIZE);
  if (page > 0) pageBytes_ = static_cast<std::uint64_t>(page);
  const std::uint64_t pages = std::max<std::uint64_t>(2, (windowBytes + pageBytes_ - 1) / pageBytes_);
  largestWindow_ = static_cast<std::size_t>(pages * pageBytes_);
}

CachedFileWindow::~CachedFileWindow() { Unmap(); }

CachedFileWindow::CachedFileWindow(CachedFileWindow&& other) noexcept
    : fd_(other.fd_),
      fileSize_(other.fileSize_),
      pageBytes_(other.pageBytes_),
      largestWindow_(other.largestWindow_),
      base_(std::exchange(other.base_, nullptr)),
      windowOffset_(other.windowOffset_),
      windowBytes_(std::exchange(other.windowBytes_, 0)),
      resident_(std::move(other.resident_)),
      unmappable_(other.unmappable_) {}

CachedFileWindow& CachedFileWindow::operator=(CachedFileWindow&& other) noexcept {
  if (this != &other) {
    Unmap();
    fd_ = other.fd_;
    fileSize_ = other.fileSize_;
    pageBytes_ = other.pageBytes_;
    largestWindow_ = other.largestWindow_;
    base_ = std::exchange(other.base_, nullptr);
    windowOffset_ = other.windowOffset_;
    windowBytes_ = std::exchange(other.windowBytes_, 0);
    resident_ = std::move(other.resident_);
    unmappable_ = other.unmappable_;
  }
  return *this;
}

void CachedFileWindow::Unmap() noexcept {
  if (base_ != nullptr) ::munmap(base_, windowBytes_);
  base_ = nullptr;
  windowBytes_ = 0;
  resident_.clear();
}

bool CachedFileWindow::MapAt(std::uint64_t offset, std::size_t length) {
  // A scan front to back gets ever larger windows; a read far from the
  // last one maps and looks up little more than itself.
  const bool onward = base_ != nullptr && offset >= windowOffset_ && offset - windowOffset_ < 2 * windowBytes_;
  const std::uint64_t wanted = onward ? 2 * std::uint64_t{windowBytes_} : length + 2 * pageBytes_;
  Unmap();
  windowOffset_ = offset - offset % pageBytes_;
  windowBytes_ = static_cast<std::size_t>(
      std::min({std::uint64_t{largestWindow_}, std::max<std::uint64_t>(wanted, kFirstWindowBytes),
                fileSize_ - windowOffset_}));
  void* mapped = ::mmap(nullptr, windowBytes_, PROT_READ, MAP_SHARED, fd_, static_cast<off_t>(windowOffset_));
  if (mapped == MAP_FAILED) {
    // A file system that cannot map files will not start to.
    windowBytes_ = 0;
    unmappable_ = true;
    return false;
  }
  base_ = static_cast<std::uint8_t*>(mapped);
  resident_.assign((windowBytes_ + pageBytes_ - 1) / pageBytes_, 0);
  if (::mincore(base_, windowBytes_, resident_.data()) != 0) {
    Unmap();
    unmappable_ = true;
    return false;
  }
  return true;
}

std::optional<std::span<const std::uint8_t>> CachedFileWindow::Find(std::uint64_t offset, std::size_t length) {
  // What lies past the size seen at the start is left to reads, which see
  // the file as it is now.
  if (length == 0 || offset > fileSize_ || length > fileSize_ - offset) return std::nullopt;
  if (length > largestWindow_ - pageBytes_ || unmappable_) return std::nullopt;
  const auto inside = [&] {
    return base_ != nullptr && offset >= windowOffset_ && offset - windowOffset_ + length <= windowBytes_;
  };
  if (!inside() && (!MapAt(offset, length) || !inside())) return std::nullopt;
  const std::uint64_t start = offset - windowOffset_;
  for (std::uint64_t page = start / pageBytes_; page <= (start + length - 1) / pageBytes_; ++page)
    if ((resident_[page] & 1) == 0) return std::nullopt;
  return std::span<const std::uint8_t>(base_ + start, length);
}

}  // namespace korvid::media
