#pragma once
// The auxiliary packs a camcorder writes into every DV frame (IEC 61834-4):
// five bytes each, a header byte naming the pack and four data bytes. What
// a frame's packs say is read by dv_frame_facts.h.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace korvid::media {

// Tape timecode of one frame. hours >= 128 means "no timecode".
struct TTimecode {
  std::uint8_t hours = 255;
  std::uint8_t minutes = 0;
  std::uint8_t seconds = 0;
  std::uint8_t frames = 0;
  friend bool operator==(const TTimecode&, const TTimecode&) = default;
};

// Recording date and time of one frame. year < 1 means "no datecode":
// -1 = the frame carries none, -2 = nothing decoded yet.
struct TDatecode {
  std::int32_t year = -1;
  std::uint8_t month = 0;
  std::uint8_t day = 0;
  std::uint8_t hour = 0;
  std::uint8_t minute = 0;
  std::uint8_t second = 0;
  friend bool operator==(const TDatecode&, const TDatecode&) = default;
};

inline constexpr std::uint8_t kNoTimecodeHours = 255;
inline constexpr std::int32_t kNoDatecodeYear = -1;
inline constexpr std::int32_t kNotDecodedYear = -2;

inline bool HasTimecode(const TTimecode& tc) { return tc.hours < 128; }
inline bool HasDatecode(const TDatecode& dc) { return dc.year >= 1; }

// Pack headers this program reads or writes.
inline constexpr std::uint8_t kTimecodePack = 0x13;
inline constexpr std::uint8_t kVideoSourcePack = 0x60;
inline constexpr std::uint8_t kVideoControlPack = 0x61;
inline constexpr std::uint8_t kRecordingDatePack = 0x62;
inline constexpr std::uint8_t kRecordingTimePack = 0x63;
inline constexpr std::uint8_t kNoPack = 0xFF;

inline constexpr std::size_t kPackBytes = 5;
using DvPack = std::array<std::uint8_t, kPackBytes>;

// Fixed positions in the first DIF sequence.
inline constexpr std::size_t kHeaderAppIdOffset = 7;    // AP3 in bits 0-2
inline constexpr std::size_t kFirstTimecodeOffset = 86;  // subcode block 0, sync block 0
inline constexpr std::size_t kFirstControlOffset = 453;  // VAUX block 2, pack 10
inline constexpr std::size_t kFirstDateOffset = 458;     // VAUX block 2, pack 11
inline constexpr std::size_t kFirstTimeOffset = 463;     // VAUX block 2, pack 12
inline constexpr std::size_t kMinPackFrameBytes = 468;

// Digit decoding of single packs, for the frame reader (dv_frame_facts.h)
// and the writers that move a pack's value. The digits are taken as they
// stand, without range checks.
TTimecode DecodeTimecodePack(const DvPack& pack);
void DecodeDatePack(const DvPack& pack, TDatecode& out);  // year, month, day
void DecodeTimePack(const DvPack& pack, TDatecode& out);  // hour, minute, second
// 16:9 by the display select mode of a 0x61 pack and the frame's AP3.
bool IsWideDisplay(const DvPack& controlPack, std::uint8_t ap3);

// The five bytes at `offset`; the caller has checked the bounds.
DvPack PackAt(std::span<const std::uint8_t> frame, std::size_t offset);

}  // namespace korvid::media
