#include "media/dv_packs.h"

namespace korvid::media {
namespace {

// A BCD field: units in bits 0-3, tens in the bits selected by tensMask
// after shifting down by four.
std::uint8_t Bcd(std::uint8_t byte, std::uint8_t tensMask) {
  return static_cast<std::uint8_t>((byte & 0x0F) + 10 * ((byte >> 4) & tensMask));
}

}  // namespace

DvPack PackAt(std::span<const std::uint8_t> frame, std::size_t offset) {
  DvPack pack{};
  for (std::size_t i = 0; i < kPackBytes; ++i) pack[i] = frame[offset + i];
  return pack;
}

TTimecode DecodeTimecodePack(const DvPack& pack) {
  TTimecode tc;
  tc.frames = Bcd(pack[1], 0x03);
  tc.seconds = Bcd(pack[2], 0x07);
  tc.minutes = Bcd(pack[3], 0x07);
  tc.hours = Bcd(pack[4], 0x03);
  return tc;
}

void DecodeDatePack(const DvPack& pack, TDatecode& out) {
  out.day = Bcd(pack[2], 0x03);
  out.month = Bcd(pack[3], 0x01);
  // All four tens bits count, so a damaged byte can give up to 165.
  const int yy = Bcd(pack[4], 0x0F);
  out.year = yy < 40 ? 2000 + yy : 1900 + yy;
}

void DecodeTimePack(const DvPack& pack, TDatecode& out) {
  out.second = Bcd(pack[2], 0x07);
  out.minute = Bcd(pack[3], 0x07);
  out.hour = Bcd(pack[4], 0x03);
}

bool IsWideDisplay(const DvPack& controlPack, std::uint8_t ap3) {
  const int disp = controlPack[2] & 0x07;
  // 2 is 16:9 in every variant; 7 only in consumer frames (AP3 = 0).
  return disp == 2 || ((ap3 & 0x07) == 0 && disp == 7);
}

}  // namespace korvid::media
