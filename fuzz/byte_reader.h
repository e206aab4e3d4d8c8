#pragma once
// Takes values from the front of a fuzz input; an exhausted input gives
// zeros and empty runs, so every input is a complete case.
#include <cstddef>
#include <cstdint>
#include <span>

namespace korvid::fuzz {

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : rest_(bytes) {}

  bool empty() const { return rest_.empty(); }
  std::span<const std::uint8_t> rest() const { return rest_; }

  std::uint8_t Byte() {
    if (rest_.empty()) return 0;
    const std::uint8_t value = rest_.front();
    rest_ = rest_.subspan(1);
    return value;
  }
  std::uint32_t Uint32() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(Byte()) << (8 * i);
    return value;
  }
  std::int32_t Int32() { return static_cast<std::int32_t>(Uint32()); }
  // Up to `most` bytes.
  std::span<const std::uint8_t> Run(std::size_t most) {
    const std::size_t n = most < rest_.size() ? most : rest_.size();
    const std::span<const std::uint8_t> run = rest_.first(n);
    rest_ = rest_.subspan(n);
    return run;
  }

 private:
  std::span<const std::uint8_t> rest_;
};

}  // namespace korvid::fuzz
