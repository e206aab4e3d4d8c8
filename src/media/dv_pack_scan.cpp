#include "media/dv_pack_scan.h"

#include "media/dv_pack_layout.h"

namespace korvid::media {
namespace {

// A decimal field is sound when its units nibble is a digit and the value,
// with the tens bits under tensMask, stays within [low, high].
bool DigitsWithin(std::uint8_t byte, std::uint8_t tensMask, int low, int high) {
  const int units = byte & 0x0F;
  const int value = units + 10 * ((byte >> 4) & tensMask);
  return units <= 9 && value >= low && value <= high;
}

bool DataBytesSet(const DvPack& pack, std::size_t first) {
  for (std::size_t i = first; i < kPackBytes; ++i) {
    if (pack[i] == 0xFF) return false;
  }
  return true;
}

std::optional<std::size_t> FixedOffset(std::uint8_t header) {
  switch (header) {
    case kTimecodePack: return kFirstTimecodeOffset;
    case kVideoControlPack: return kFirstControlOffset;
    case kRecordingDatePack: return kFirstDateOffset;
    case kRecordingTimePack: return kFirstTimeOffset;
    default: return std::nullopt;
  }
}

// A usable copy anywhere, else the pack at the fixed position as it
// stands: a date pack that is present but no date (a blank one decodes as
// 2065/25) is still not "undated", and the caller judges its digits.
std::optional<DvPack> UsableOrFixedPack(std::span<const std::uint8_t> frame, std::uint8_t header) {
  if (const auto found = FindUsablePack(frame, header)) return found->pack;
  const auto fixed = FixedOffset(header);
  if (!fixed || frame.size() < kMinPackFrameBytes || frame[*fixed] != header) return std::nullopt;
  return PackAt(frame, *fixed);
}

}  // namespace

bool IsUsablePack(const DvPack& pack, std::uint8_t header) {
  if (pack[0] != header) return false;
  switch (header) {
    case kTimecodePack:
      return DataBytesSet(pack, 1) && DigitsWithin(pack[1], 0x03, 0, 29) &&
             DigitsWithin(pack[2], 0x07, 0, 59) && DigitsWithin(pack[3], 0x07, 0, 59) &&
             DigitsWithin(pack[4], 0x03, 0, 23);
    case kRecordingDatePack:
      // Byte 1 is the time zone, often left blank.
      return DataBytesSet(pack, 2) && DigitsWithin(pack[2], 0x03, 1, 31) &&
             DigitsWithin(pack[3], 0x01, 1, 12) && (pack[4] & 0x0F) <= 9 && (pack[4] >> 4) <= 9;
    case kRecordingTimePack:
      // Byte 1 holds frames, often left blank.
      return DataBytesSet(pack, 2) && DigitsWithin(pack[2], 0x07, 0, 59) &&
             DigitsWithin(pack[3], 0x07, 0, 59) && DigitsWithin(pack[4], 0x03, 0, 23);
    case kVideoControlPack:
      return pack[2] != 0xFF;
    default:
      return !(pack[1] == 0xFF && pack[2] == 0xFF && pack[3] == 0xFF && pack[4] == 0xFF);
  }
}

std::optional<FoundPack> FindUsablePack(std::span<const std::uint8_t> frame, std::uint8_t header) {
  const auto fixed = FixedOffset(header);
  if (fixed && frame.size() >= kMinPackFrameBytes) {
    const DvPack pack = PackAt(frame, *fixed);
    if (IsUsablePack(pack, header)) return FoundPack{pack, 0};
  }
  std::optional<FoundPack> found;
  ForEachPackSlot(frame, [&](const PackSlot& slot) {
    if (found) return;
    const DvPack pack = PackAt(frame, slot.offset);
    if (IsUsablePack(pack, header)) found = FoundPack{pack, slot.sequence};
  });
  return found;
}

TTimecode ReadFrameTimecode(std::span<const std::uint8_t> frame) {
  const auto found = FindUsablePack(frame, kTimecodePack);
  return found ? DecodeTimecodePack(found->pack) : TTimecode{};
}

void ReadFrameDatecode(std::span<const std::uint8_t> frame, TDatecode& out) {
  const auto date = UsableOrFixedPack(frame, kRecordingDatePack);
  const auto time = date ? UsableOrFixedPack(frame, kRecordingTimePack) : std::nullopt;
  if (!date || !time) {
    out.year = kNoDatecodeYear;
    return;
  }
  DecodeDatePack(*date, out);
  DecodeTimePack(*time, out);
}

bool DatecodeFromLaterSequence(std::span<const std::uint8_t> frame) {
  const auto date = FindUsablePack(frame, kRecordingDatePack);
  const auto time = FindUsablePack(frame, kRecordingTimePack);
  return (date && date->sequence > 0) || (time && time->sequence > 0);
}

bool IsFrameWideScreen(std::span<const std::uint8_t> frame) {
  const auto found = FindUsablePack(frame, kVideoControlPack);
  if (!found) return false;
  // The sequence's own header block precedes the VAUX block it came from.
  const std::uint8_t ap3 = frame[DifBlockOffset(found->sequence, 0) + kHeaderAppIdOffset];
  return IsWideDisplay(found->pack, ap3);
}

}  // namespace korvid::media
