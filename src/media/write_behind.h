#pragma once
// Keeps the disk writing while a file grows at its end. The closing flush
// of a large output then finds little left to do, instead of a gigabyte,
// and the pages waiting for the disk stay few.

#include <cstdint>

#include "media/binary_file.h"

namespace korvid::media {

class WriteBehind {
 public:
  explicit WriteBehind(BinaryFile& file) : file_(file) {}

  // Everything before `end` is written.
  void Advance(std::uint64_t end) noexcept;

 private:
  // Writes start in steps this large, and the writer waits only for those
  // this far behind it, so it rarely waits at all unless the disk is the
  // slower side.
  static constexpr std::uint64_t kStep = std::uint64_t{8} << 20;
  static constexpr std::uint64_t kLag = std::uint64_t{64} << 20;

  BinaryFile& file_;
  std::uint64_t started_ = 0;
  std::uint64_t waited_ = 0;
};

}  // namespace korvid::media
