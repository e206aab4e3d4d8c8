#include "media/clock_correction.h"

#include <cctype>
#include <cstdio>
#include <optional>

#include "media/datecode_shift.h"
#include "media/dv_frame_facts.h"
#include "media/dv_pack_layout.h"
#include "media/dv_pack_writer.h"

namespace korvid::media {
namespace {

constexpr std::string_view kOffsetExamples = "write it as +1d, -0:59:30 or +365d6:00";

[[noreturn]] void Refuse(std::string_view text, std::string_view why) {
  throw ClockOffsetError("\"" + std::string(text) + "\" is not a clock offset: " + std::string(why));
}

// Digits from `at`, at most `most` of them; nothing when there are none.
std::optional<std::int64_t> Digits(std::string_view text, std::size_t& at, std::size_t most) {
  const std::size_t from = at;
  std::int64_t value = 0;
  while (at < text.size() && at - from < most && std::isdigit(static_cast<unsigned char>(text[at])))
    value = value * 10 + (text[at++] - '0');
  if (at == from) return std::nullopt;
  return value;
}

// ":MM" or ":SS", exactly two digits below 60.
std::int64_t Sixtieths(std::string_view text, std::size_t& at, std::string_view whole) {
  ++at;  // the colon
  const std::size_t from = at;
  const auto value = Digits(text, at, 2);
  if (!value || at - from != 2) Refuse(whole, "minutes and seconds take two digits");
  if (*value > 59) Refuse(whole, "minutes and seconds run from 00 to 59");
  return *value;
}

}  // namespace

std::int64_t ParseClockOffset(std::string_view whole) {
  std::string_view text = whole;
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  if (text.empty()) throw ClockOffsetError("no clock offset given: " + std::string(kOffsetExamples));
  std::size_t at = 0;
  int sign = 1;
  if (text[0] == '+' || text[0] == '-') {
    sign = text[0] == '-' ? -1 : 1;
    ++at;
  }
  // Eleven digits are far past the cap and far from overflowing.
  constexpr std::size_t kMostDigits = 11;
  std::int64_t total = 0;
  std::optional<std::int64_t> number = Digits(text, at, kMostDigits);
  if (!number) Refuse(whole, kOffsetExamples);
  if (at < text.size() && (text[at] == 'd' || text[at] == 'D')) {
    total = *number * 86400;
    ++at;
    number = at < text.size() ? Digits(text, at, kMostDigits) : std::optional<std::int64_t>(0);
    if (!number) Refuse(whole, kOffsetExamples);
  }
  if (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) Refuse(whole, "too many digits");
  total += *number * 3600;
  if (at < text.size() && text[at] == ':') total += Sixtieths(text, at, whole) * 60;
  if (at < text.size() && text[at] == ':') total += Sixtieths(text, at, whole);
  if (at != text.size()) Refuse(whole, kOffsetExamples);
  if (total == 0) throw ClockOffsetError("the clock offset \"" + std::string(whole) + "\" is zero: nothing to correct");
  if (total > kMaxClockOffsetSeconds) Refuse(whole, "offsets beyond a hundred years are refused");
  return sign * total;
}

std::string ClockOffsetText(std::int64_t seconds) {
  std::string text = seconds < 0 ? "-" : "+";
  std::int64_t left = seconds < 0 ? -seconds : seconds;
  const std::pair<std::int64_t, char> parts[] = {{86400, 'd'}, {3600, 'h'}, {60, 'm'}, {1, 's'}};
  for (const auto& [unit, letter] : parts) {
    if (left / unit == 0) continue;
    text += std::to_string(left / unit) + letter;
    left %= unit;
  }
  return text;
}

ClockCorrection CorrectFrameClock(std::span<std::uint8_t> frame, std::int64_t seconds) {
  const DvFrameFacts facts = ReadDvFrameFacts(frame);
  if (!facts.system || !IsCalendarDatecode(facts.datecode)) return ClockCorrection::kUndated;
  const TDatecode moved = MoveDatecode(facts.datecode, seconds);
  if (moved.year < 1940 || moved.year > 2039) {
    char text[64] = {};
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", moved.year, moved.month, moved.day, moved.hour,
                  moved.minute, moved.second);
    throw ClockOffsetError(std::string("the corrected date ") + text +
                           " cannot be recorded: DV dates run from 1940 to 2039");
  }
  // Every copy in the frame, subcode and VAUX, gets the new digits on its
  // own flag bits; no slot that held no such pack is touched.
  ForEachPackSlot(frame, [&](const PackSlot& slot) {
    const std::uint8_t header = frame[slot.offset];
    if (header != kRecordingDatePack && header != kRecordingTimePack) return;
    const DvPack pack = PackAt(frame, slot.offset);
    const auto encoded = header == kRecordingDatePack ? EncodeDatePack(moved, pack) : EncodeTimePack(moved, pack);
    if (!encoded) return;
    for (std::size_t i = 0; i < kPackBytes; ++i) frame[slot.offset + i] = (*encoded)[i];
  });
  return ClockCorrection::kCorrected;
}

}  // namespace korvid::media
