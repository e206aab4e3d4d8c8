#include "media/dv_frame_facts.h"

#include <algorithm>

#include "media/datecode_shift.h"
#include "media/dv_pack_layout.h"
#include "media/dv_pack_scan.h"

namespace korvid::media {
namespace {

// A chunk size from the index is never trusted beyond two frames.
constexpr std::size_t kLargestFrameBytes = 2 * FrameBytes(DvSystem::k625_50);

// A usable copy anywhere, else the pack at the fixed position as it
// stands: a date pack that is present but no date (a blank one decodes as
// 2065/25) is still not "undated", and the caller judges its digits.
std::optional<DvPack> UsableOrFixedPack(std::span<const std::uint8_t> frame, std::uint8_t header,
                                        std::size_t fixed) {
  if (const auto found = FindUsablePack(frame, header)) return found->pack;
  if (frame.size() < kMinPackFrameBytes || frame[fixed] != header) return std::nullopt;
  return PackAt(frame, fixed);
}

void ReadDatecodeInto(std::span<const std::uint8_t> frame, DvFrameFacts& facts) {
  const auto date = UsableOrFixedPack(frame, kRecordingDatePack, kFirstDateOffset);
  const auto time = date ? UsableOrFixedPack(frame, kRecordingTimePack, kFirstTimeOffset) : std::nullopt;
  if (!date || !time) return;
  DecodeDatePack(*date, facts.datecode);
  DecodeTimePack(*time, facts.datecode);
  const auto usableDate = FindUsablePack(frame, kRecordingDatePack);
  const auto usableTime = FindUsablePack(frame, kRecordingTimePack);
  facts.datecodeFromLaterSequence =
      (usableDate && usableDate->sequence > 0) || (usableTime && usableTime->sequence > 0);
}

bool ReadWide(std::span<const std::uint8_t> frame) {
  const auto found = FindUsablePack(frame, kVideoControlPack);
  if (!found) return false;
  // The sequence's own header block precedes the VAUX block it came from.
  const std::uint8_t ap3 = frame[DifBlockOffset(found->sequence, 0) + kHeaderAppIdOffset];
  return IsWideDisplay(found->pack, ap3);
}

// The first `limit` bytes of chunk k, or all of a shorter one.
std::vector<std::uint8_t> ReadChunk(const BinaryFile& file, const AviFrameIndex& index, std::size_t stream,
                                    std::size_t k, std::size_t limit = kLargestFrameBytes) {
  std::vector<std::uint8_t> frame(std::min<std::size_t>(index.FramesOf(stream)[k].size, limit));
  frame.resize(index.ReadFrameStart(file, stream, k, frame));
  return frame;
}

bool WholeFrame(std::span<const std::uint8_t> frame, std::uint32_t chunk_size) {
  const auto system = DetectDvSystem(frame);
  return system && chunk_size == FrameBytes(*system) && frame.size() == chunk_size;
}

// The first DIF sequence of chunk k.
std::vector<std::uint8_t> ReadChunkHead(const BinaryFile& file, const AviFrameIndex& index, std::size_t stream,
                                        std::size_t k) {
  return ReadChunk(file, index, stream, k, kDifSequenceBytes);
}

// Judged from the head alone: the index cuts each chunk's size to the
// file, so a chunk of a whole frame's size is there to be read.
bool WholeFrameChunk(std::span<const std::uint8_t> head, std::uint32_t chunk_size) {
  const auto system = DetectDvSystem(head);
  return system && chunk_size == FrameBytes(*system);
}

// A camcorder repeats its packs in every sequence, so a frame read cleanly
// shows them all in its first one; since every search goes sequence by
// sequence, what the first one yields is what the whole frame would.
// Two sound pairs are told apart only in the frame's second half.
bool HeadHoldsEveryPack(std::span<const std::uint8_t> head, const DvFrameFacts& facts) {
  for (const std::uint8_t header :
       {kTimecodePack, kRecordingDatePack, kRecordingTimePack, kVideoControlPack, kVideoSourcePack})
    if (!FindUsablePack(head, header)) return false;
  return facts.sound && facts.sound->pairs == 1;
}

// The date search looks at the header, subcode and VAUX blocks only: the
// first six DIF blocks of each sequence.
constexpr std::size_t kPackAreaBytes = 6 * kDifBlockBytes;

// The date and time packs of a frame, as ReadDvFrameFacts finds them.
DvFrameFacts DatecodeFacts(std::span<const std::uint8_t> frame) {
  DvFrameFacts facts;
  facts.system = DetectDvSystem(frame);
  if (facts.system) ReadDatecodeInto(frame, facts);
  return facts;
}

// Reads `length` bytes at `offset` of the chunk into the same place of
// `area`; false when the file ended first, `end` then where it did.
bool ReadAreaPart(const BinaryFile& file, const FrameLocation& chunk, std::size_t offset, std::size_t length,
                  std::span<std::uint8_t> area, std::size_t& end) {
  const std::size_t got = file.ReadAt(chunk.offset + offset, area.subspan(offset, length));
  end = offset + got;
  return got == length;
}

// A later frame of the look is read for its date alone, and only where
// packs live: its first sequence's pack area, then every other sequence's
// when that one holds no usable date and time. `area` keeps its size from
// frame to frame; the bytes between the pack areas are never looked at, so
// what earlier frames left there does not matter.
DvFrameFacts ReadDatecodeFacts(const BinaryFile& file, const FrameLocation& chunk, std::vector<std::uint8_t>& area) {
  const std::size_t length = std::min<std::size_t>(chunk.size, kLargestFrameBytes);
  if (area.size() < length) area.resize(length);
  std::size_t end = 0;
  if (!ReadAreaPart(file, chunk, 0, std::min(length, kPackAreaBytes), area, end)) {
    return DatecodeFacts(std::span(area).first(end));
  }
  const std::span<const std::uint8_t> head = std::span(area).first(std::min(length, kDifSequenceBytes));
  const auto system = DetectDvSystem(head);
  if (!system || (FindUsablePack(head, kRecordingDatePack) && FindUsablePack(head, kRecordingTimePack)))
    return DatecodeFacts(head);
  end = length;
  const std::size_t sequences =
      std::min((length + kDifSequenceBytes - 1) / kDifSequenceBytes, SequencesPerFrame(*system));
  for (std::size_t s = 1; s < sequences; ++s) {
    const std::size_t start = s * kDifSequenceBytes;
    if (!ReadAreaPart(file, chunk, start, std::min(length - start, kPackAreaBytes), area, end)) break;
  }
  return DatecodeFacts(std::span(area).first(end));
}

std::optional<DvPack> UsableVideoSource(std::span<const std::uint8_t> frame) {
  const auto found = FindUsablePack(frame, kVideoSourcePack);
  return found ? std::optional<DvPack>(found->pack) : std::nullopt;
}

}  // namespace

std::optional<std::size_t> FindFirstUsableFrame(const BinaryFile& file, const AviFrameIndex& index,
                                                std::size_t stream, std::vector<std::uint8_t>& frame) {
  const auto chunks = index.FramesOf(stream);
  for (std::size_t k = 0; k < std::min(chunks.size(), kFirstFramesLook); ++k) {
    frame = ReadChunk(file, index, stream, k);
    if (WholeFrame(frame, chunks[k].size)) return k;
  }
  frame.clear();
  return std::nullopt;
}

std::optional<DvAudioInfo> ReadDvFrameSound(std::span<const std::uint8_t> frame) {
  // Most buffers without sound (a pack area alone, a silent recording)
  // are told apart without the cost of an exception.
  if (!FindAauxPack(frame, kAudioSourcePack)) return std::nullopt;
  try {
    return ReadDvAudioInfo(frame);
  } catch (const DvAudioError&) {
    return std::nullopt;
  }
}

DvFrameFacts ReadDvFrameFacts(std::span<const std::uint8_t> frame) {
  DvFrameFacts facts;
  facts.system = DetectDvSystem(frame);
  if (!facts.system) return facts;
  facts.timecode = [&] {
    const auto found = FindUsablePack(frame, kTimecodePack);
    return found ? DecodeTimecodePack(found->pack) : TTimecode{};
  }();
  ReadDatecodeInto(frame, facts);
  facts.wide = ReadWide(frame);
  facts.sound = ReadDvFrameSound(frame);
  return facts;
}

std::optional<FileFirstFacts> ReadFileFirstFacts(const BinaryFile& file, const AviFrameIndex& index,
                                                 std::size_t stream) {
  // Describing a file reads the first sequence of its first frame, not the
  // whole frame, unless a pack is missing there.
  const auto chunks = index.FramesOf(stream);
  std::optional<std::size_t> usable;
  std::vector<std::uint8_t> frame;
  for (std::size_t k = 0; k < std::min(chunks.size(), kFirstFramesLook) && !usable; ++k) {
    frame = ReadChunkHead(file, index, stream, k);
    if (WholeFrameChunk(frame, chunks[k].size)) usable = k;
  }
  if (!usable) return std::nullopt;
  FileFirstFacts first;
  first.usable = *usable;
  first.facts = ReadDvFrameFacts(frame);
  if (!HeadHoldsEveryPack(frame, first.facts)) {
    frame = ReadChunk(file, index, stream, *usable);
    if (!WholeFrame(frame, chunks[*usable].size)) return std::nullopt;
    first.facts = ReadDvFrameFacts(frame);
  }
  first.videoSource = UsableVideoSource(frame);
  const std::size_t look = std::min(chunks.size(), kFirstFramesLook);
  std::vector<std::uint8_t> area;
  for (std::size_t k = *usable; k < look; ++k) {
    const DvFrameFacts facts = k == *usable ? first.facts : ReadDatecodeFacts(file, chunks[k], area);
    if (!IsCalendarDatecode(facts.datecode)) continue;
    first.facts.datecode = facts.datecode;
    first.facts.datecodeFromLaterSequence = facts.datecodeFromLaterSequence;
    first.dated = k;
    break;
  }
  // No date that makes sense: the usable frame's own packs stand, so that an
  // impossible date still sorts by its digits.
  if (!first.dated && HasDatecode(first.facts.datecode)) first.dated = first.usable;
  return first;
}

}  // namespace korvid::media
