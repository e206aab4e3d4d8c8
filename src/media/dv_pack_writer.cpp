#include "media/dv_pack_writer.h"

#include "media/datecode_shift.h"
#include "media/dv_pack_layout.h"
#include "media/dv_pack_scan.h"

namespace korvid::media {
namespace {

std::uint8_t KeepAndSet(std::uint8_t base, std::uint8_t keepMask, int value) {
  return static_cast<std::uint8_t>((base & keepMask) | (value & ~keepMask & 0xFF));
}

int Bcd(int value) { return ((value / 10) << 4) | (value % 10); }

// The date pack's weekday field (bits 5-7 of its month byte): 0 = Sunday.
constexpr int kNoWeekday = 7;

// VAUX main-area pack for `header` within a sequence, by its parity.
std::optional<std::size_t> VauxMainIndex(std::uint8_t header, std::size_t sequence) {
  if (header < kVideoSourcePack || header > kRecordingTimePack) return std::nullopt;
  const std::size_t k = header - kVideoSourcePack;
  return sequence % 2 == 0 ? 39 + k : k;
}

bool IsSubcodeMainSlot(std::uint8_t header, std::size_t sequence, std::size_t half,
                       std::size_t index) {
  const bool firstHalf = sequence < half;
  switch (header) {
    case kTimecodePack: return firstHalf || index % 3 == 0;
    case kRecordingDatePack: return !firstHalf && index % 3 == 1;
    case kRecordingTimePack: return !firstHalf && index % 3 == 2;
    default: return false;
  }
}

// Encoders (FFmpeg's among them) repeat the video source and control packs
// through VAUX; a reader may take the date from the first such group, so a
// free slot completing a group after its source pack gets the date or time.
bool CompletesVauxGroup(std::span<const std::uint8_t> frame, const PackSlot& slot, std::uint8_t current,
                        std::uint8_t header) {
  if (current != kNoPack || (header != kRecordingDatePack && header != kRecordingTimePack)) return false;
  const std::size_t distance = header - kVideoSourcePack;
  if (slot.index % 15 < distance) return false;  // a group never spans two VAUX blocks
  return frame[VauxSlotOffset(slot.sequence, slot.index - distance)] == kVideoSourcePack;
}

bool ShouldWrite(std::span<const std::uint8_t> frame, const PackSlot& slot, std::uint8_t current,
                 std::uint8_t header, std::size_t half) {
  if (current == header) return true;
  if (slot.area == PackArea::kSubcode) return IsSubcodeMainSlot(header, slot.sequence, half, slot.index);
  if (CompletesVauxGroup(frame, slot, current, header)) return true;
  const auto main = VauxMainIndex(header, slot.sequence);
  if (!main) return false;
  if (slot.index == *main) return true;
  // Odd sequences get the even ones' positions too, when free.
  return slot.index == 39 + std::size_t{header} - kVideoSourcePack && current == kNoPack;
}

DvPack BaseFor(std::span<const std::uint8_t> frame, std::uint8_t header) {
  const auto found = FindUsablePack(frame, header);
  return found ? found->pack : DefaultPack(header);
}

void Store(std::span<std::uint8_t> frame, std::size_t offset, const DvPack& pack) {
  for (std::size_t i = 0; i < kPackBytes; ++i) frame[offset + i] = pack[i];
}

}  // namespace

DvPack DefaultPack(std::uint8_t header) {
  switch (header) {
    case kTimecodePack: return {header, 0x00, 0x80, 0x80, 0xC0};
    case kVideoSourcePack: return {header, 0xFF, 0xFF, 0xC0, 0xFF};
    case kVideoControlPack: return {header, 0x3F, 0xC8, 0xFC, 0xFF};
    case kRecordingDatePack: return {header, 0xFF, 0xC0, 0xE0, 0x00};
    case kRecordingTimePack: return {header, 0xFF, 0x80, 0x80, 0xC0};
    default: return {header, 0xFF, 0xFF, 0xFF, 0xFF};
  }
}

std::optional<DvPack> EncodeTimecodePack(const TTimecode& tc, const DvPack& base) {
  if (tc.hours > 23 || tc.minutes > 59 || tc.seconds > 59 || tc.frames > 29) return std::nullopt;
  return DvPack{kTimecodePack, KeepAndSet(base[1], 0xC0, Bcd(tc.frames)),
                KeepAndSet(base[2], 0x80, Bcd(tc.seconds)), KeepAndSet(base[3], 0x80, Bcd(tc.minutes)),
                KeepAndSet(base[4], 0xC0, Bcd(tc.hours))};
}

std::optional<DvPack> EncodeDatePack(const TDatecode& dc, const DvPack& base) {
  if (dc.year < 1940 || dc.year > 2039 || dc.month < 1 || dc.month > 12 || dc.day < 1 ||
      dc.day > 31) {
    return std::nullopt;
  }
  // A weekday the base carried follows the new date; "none" (7) stays none.
  const int kept = base[3] >> 5;
  const int weekday = kept == kNoWeekday || !IsCalendarDatecode(dc) ? kept : WeekdayOf(dc);
  return DvPack{kRecordingDatePack, base[1], KeepAndSet(base[2], 0xC0, Bcd(dc.day)),
                static_cast<std::uint8_t>((weekday << 5) | Bcd(dc.month)),
                static_cast<std::uint8_t>(Bcd(dc.year % 100))};
}

std::optional<DvPack> EncodeTimePack(const TDatecode& dc, const DvPack& base) {
  if (dc.hour > 23 || dc.minute > 59 || dc.second > 59) return std::nullopt;
  return DvPack{kRecordingTimePack, base[1], KeepAndSet(base[2], 0x80, Bcd(dc.second)),
                KeepAndSet(base[3], 0x80, Bcd(dc.minute)), KeepAndSet(base[4], 0xC0, Bcd(dc.hour))};
}

DvPack EncodeVideoSourcePack(DvSystem system, const DvPack& base) {
  DvPack pack = base;
  pack[0] = kVideoSourcePack;
  const std::uint8_t fiftyHz = system == DvSystem::k625_50 ? 0x20 : 0x00;
  pack[3] = static_cast<std::uint8_t>((base[3] & ~0x20 & 0xFF) | fiftyHz);
  return pack;
}

DvPack EncodeVideoControlPack(bool wide, const DvPack& base) {
  DvPack pack = base;
  pack[0] = kVideoControlPack;
  pack[2] = static_cast<std::uint8_t>((base[2] & 0xF8) | (wide ? 0x02 : 0x00));
  return pack;
}

bool WritePack(std::span<std::uint8_t> frame, const DvPack& pack) {
  const auto system = DetectDvSystem(frame);
  if (!system) return false;
  const std::uint8_t header = pack[0];
  const std::size_t half = SequencesPerFrame(*system) / 2;
  ForEachPackSlot(frame, [&](const PackSlot& slot) {
    if (ShouldWrite(frame, slot, frame[slot.offset], header, half)) Store(frame, slot.offset, pack);
  });
  return true;
}

void ErasePacks(std::span<std::uint8_t> frame, std::uint8_t header) {
  const DvPack blank{kNoPack, kNoPack, kNoPack, kNoPack, kNoPack};
  ForEachPackSlot(frame, [&](const PackSlot& slot) {
    if (frame[slot.offset] == header) Store(frame, slot.offset, blank);
  });
}

bool WriteTimecode(std::span<std::uint8_t> frame, const TTimecode& tc) {
  if (!DetectDvSystem(frame)) return false;
  if (!HasTimecode(tc)) {
    ErasePacks(frame, kTimecodePack);
    return true;
  }
  const auto pack = EncodeTimecodePack(tc, BaseFor(frame, kTimecodePack));
  return pack && WritePack(frame, *pack);
}

bool WriteDatecode(std::span<std::uint8_t> frame, const TDatecode& dc) {
  if (!DetectDvSystem(frame)) return false;
  if (!HasDatecode(dc)) {
    ClearDatecode(frame);
    return true;
  }
  const auto date = EncodeDatePack(dc, BaseFor(frame, kRecordingDatePack));
  const auto time = EncodeTimePack(dc, BaseFor(frame, kRecordingTimePack));
  if (!date || !time) return false;
  return WritePack(frame, *date) && WritePack(frame, *time);
}

void ClearDatecode(std::span<std::uint8_t> frame) {
  ErasePacks(frame, kRecordingDatePack);
  ErasePacks(frame, kRecordingTimePack);
}

bool WriteWideScreen(std::span<std::uint8_t> frame, bool wide) {
  return WritePack(frame, EncodeVideoControlPack(wide, BaseFor(frame, kVideoControlPack)));
}

bool WriteVideoSource(std::span<std::uint8_t> frame, DvSystem system) {
  return WritePack(frame, EncodeVideoSourcePack(system, BaseFor(frame, kVideoSourcePack)));
}

}  // namespace korvid::media
