#include "graphs/dixmark.h"

#include "media/datecode_shift.h"
#include "media/dv_frame.h"
#include "media/dv_frame_facts.h"
#include "media/dv_pack_scan.h"
#include "media/dv_pack_writer.h"

namespace korvid::graphs {

using media::DvPack;
using media::TDatecode;

namespace {

// A frame that already carries the pack (the inlay copies the source's
// packs before the rewriter runs) is left as the camcorder laid it out.
void WriteUnlessPresent(std::span<std::uint8_t> frame, const DvPack& pack) {
  const auto present = media::FindUsablePack(frame, pack[0]);
  if (!present || present->pack != pack) media::WritePack(frame, pack);
}

}  // namespace

void Dixmark::SetEnabled(std::int32_t value) {
  enabled_ = value != 0;
}

void Dixmark::SetHourOffset(std::int32_t value) {
  hourOffset_ = value;
}

void Dixmark::SetInlaySource(std::int32_t value) {
  inlaySource_ = value != 0;
}

void Dixmark::SetApplyShift(std::int32_t value) {
  applyShift_ = value != 0;
}

void Dixmark::SetInPlace(std::int32_t value) {
  inPlace_ = value != 0;
}

void Dixmark::SetWideScreen(std::int32_t value) {
  wide_ = value != 0;
}

int Dixmark::EffectiveShiftHours() const { return applyShift_ || inPlace_ ? hourOffset_ : 0; }

void Dixmark::CopyDatecode(std::span<std::uint8_t> output,
                           std::span<const std::uint8_t> source, bool sameFrame) const {
  const auto date = media::FindUsablePack(source, media::kRecordingDatePack);
  const auto time = media::FindUsablePack(source, media::kRecordingTimePack);
  if (!date || !time) {
    // An undated source makes an undated output; a frame rewritten in
    // place keeps whatever (damaged) packs it has.
    if (!sameFrame) media::ClearDatecode(output);
    return;
  }
  DvPack datePack = date->pack;
  DvPack timePack = time->pack;
  if (const int hours = EffectiveShiftHours(); hours != 0) {
    TDatecode dc;
    media::DecodeDatePack(datePack, dc);
    media::DecodeTimePack(timePack, dc);
    const TDatecode moved = media::ShiftDatecode(dc, hours);
    // Both packs change together or not at all, so date and time never disagree.
    const auto movedDate = media::EncodeDatePack(moved, datePack);
    const auto movedTime = media::EncodeTimePack(moved, timePack);
    if (movedDate && movedTime) {
      datePack = *movedDate;
      timePack = *movedTime;
    }
  }
  WriteUnlessPresent(output, datePack);
  WriteUnlessPresent(output, timePack);
}

bool Dixmark::Process(std::span<std::uint8_t> output, std::span<const std::uint8_t> source) const {
  if (!enabled_ || !media::DetectDvSystem(output) || !media::DetectDvSystem(source)) return false;
  const bool sameFrame = output.data() == source.data();
  // Everything is read from the source before the output is touched, so
  // the two may share one buffer.
  const auto timecode = media::FindUsablePack(source, media::kTimecodePack);
  const bool sourceWide = media::ReadDvFrameFacts(source).wide;

  CopyDatecode(output, source, sameFrame);
  if (!sameFrame) {
    if (timecode) {
      WriteUnlessPresent(output, timecode->pack);
    } else {
      media::ErasePacks(output, media::kTimecodePack);
    }
  }
  const std::optional<bool> wide = wide_ ? wide_ : sameFrame ? std::nullopt : std::optional<bool>(sourceWide);
  if (wide && media::ReadDvFrameFacts(output).wide != *wide) media::WriteWideScreen(output, *wide);
  return true;
}

}  // namespace korvid::graphs
