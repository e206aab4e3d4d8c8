#include "media/dv_audio_companding.h"

namespace korvid::media {
namespace {

// Codes 0..511 are linear; codes in segment s (2..7, 256 codes each from
// 256*s) stand for values from 256 << (s-1), one step of 1 << (s-1) apart.
constexpr int kLinearCodes = 512;
constexpr int kMaxCode = 2047;

int ExpandNonNegative(int code) {
  const int segment = code >> 8;
  if (segment < 2) return code;
  const int shift = segment - 1;
  return (code - 256 * shift) << shift;
}

int CompressNonNegative(int value) {
  if (value < kLinearCodes) return value;
  int shift = 1;
  while ((value >> shift) >= kLinearCodes) ++shift;
  // Here value >> shift lies in 256..511: round to the nearest step.
  const int steps = (value + (1 << (shift - 1))) >> shift;
  const int code = 256 * shift + steps;
  return code > kMaxCode ? kMaxCode : code;
}

}  // namespace

std::int16_t Expand12BitSample(std::int16_t code) {
  const int c = code;
  const int value = c >= 0 ? ExpandNonNegative(c) : -1 - ExpandNonNegative(-1 - c);
  return static_cast<std::int16_t>(value);
}

std::int16_t Compress12BitSample(std::int16_t value) {
  const int v = value;
  const int code = v >= 0 ? CompressNonNegative(v) : -1 - CompressNonNegative(-1 - v);
  // -2048 would read back as a lost sample.
  return static_cast<std::int16_t>(code < -kMaxCode ? -kMaxCode : code);
}

}  // namespace korvid::media
