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
    // Most slots hold other packs: their first byte says so.
    if (found || frame[slot.offset] != header) return;
    const DvPack pack = PackAt(frame, slot.offset);
    if (IsUsablePack(pack, header)) found = FoundPack{pack, slot.sequence};
  });
  return found;
}

}  // namespace korvid::media
