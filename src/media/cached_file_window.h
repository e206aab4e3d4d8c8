#pragma once
// A file's bytes read in place where the system's cache already holds
// them: a scan over a warm file then costs no copy. Bytes the cache does
// not hold are left to ordinary reads, so that a disk error shows as a
// read error and not as a fault on a mapped page. The window over the
// file moves forward with the reads, grows while they go on in order and
// is never larger than kWindowBytes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "media/binary_file.h"

namespace korvid::media {

class CachedFileWindow {
 public:
  static constexpr std::size_t kWindowBytes = 64u << 20;
  static constexpr std::size_t kFirstWindowBytes = 1u << 20;

  // The file stays open for as long as the window is used; its size is
  // taken now, and bytes past it are never mapped. `windowBytes` is
  // rounded up to whole pages, two at least.
  explicit CachedFileWindow(const BinaryFile& file, std::size_t windowBytes = kWindowBytes);
  ~CachedFileWindow();
  CachedFileWindow(CachedFileWindow&& other) noexcept;
  CachedFileWindow& operator=(CachedFileWindow&& other) noexcept;
  CachedFileWindow(const CachedFileWindow&) = delete;
  CachedFileWindow& operator=(const CachedFileWindow&) = delete;

  // The `length` bytes at `offset` when every page they lie on is in the
  // cache; nothing when some is not, the range is empty, larger than a
  // window less a page, or not wholly in the file as it was. The bytes
  // stay valid until the next call.
  std::optional<std::span<const std::uint8_t>> Find(std::uint64_t offset, std::size_t length);

 private:
  bool MapAt(std::uint64_t offset, std::size_t length);
  void Unmap() noexcept;

  int fd_ = -1;
  std::uint64_t fileSize_ = 0;
  std::uint64_t pageBytes_ = 4096;
  std::size_t largestWindow_ = kWindowBytes;
  std::uint8_t* base_ = nullptr;
  std::uint64_t windowOffset_ = 0;  // a multiple of the page size
  std::size_t windowBytes_ = 0;
  std::vector<unsigned char> resident_;  // one entry per page of the window
  bool unmappable_ = false;
};

}  // namespace korvid::media
