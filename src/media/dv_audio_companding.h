#pragma once
// The 12-bit non-linear sample code of DV audio (IEC 61834-2): a 12-bit
// two's-complement value whose magnitude is split into segments, the first
// two linear and each further one twice as coarse as the one before, so
// that the 16-bit range fits in 12 bits. Negative codes mirror the positive
// ones around -1 (one's-complement style), keeping the mapping symmetric.

#include <cstdint>

namespace korvid::media {

// The 12-bit code that marks a sample lost on tape (-2048).
inline constexpr std::int16_t kDv12BitErrorCode = -2048;
// The 16-bit code that marks a sample lost on tape.
inline constexpr std::int16_t kDv16BitErrorCode = -32768;

// A 12-bit code (-2048..2047) to its 16-bit value. The error code itself
// has no value; callers check for it first.
std::int16_t Expand12BitSample(std::int16_t code);

// A 16-bit value to the nearest 12-bit code (-2047..2047): never the error
// code, and Compress12BitSample(Expand12BitSample(c)) == c for every code.
std::int16_t Compress12BitSample(std::int16_t value);

}  // namespace korvid::media
