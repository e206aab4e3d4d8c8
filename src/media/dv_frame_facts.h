#pragma once
// What a DV frame says about itself (its TV system, timecode, recording
// date and time, 16:9 flag and sound format), read by one set of rules for
// every caller, and the rule that picks the frame a file is described by.
//
// The packs are looked for at their fixed first-sequence positions first
// and, when those are unusable, in every subcode, VAUX and audio block of
// the frame: a camcorder repeats its packs in every sequence, so a dropout
// in the first one loses nothing. Safe on any buffer, cut short or not.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "media/avi_frame_index.h"
#include "media/binary_file.h"
#include "media/dv_audio.h"
#include "media/dv_frame.h"
#include "media/dv_packs.h"

namespace korvid::media {

struct DvFrameFacts {
  std::optional<DvSystem> system;  // nothing: the buffer is not DV
  TTimecode timecode;              // hours 255: none
  TDatecode datecode;              // year below 1: none
  // The first sequence's date or time was unusable and a later one's taken.
  bool datecodeFromLaterSequence = false;
  bool wide = false;
  std::optional<DvAudioInfo> sound;  // nothing: no usable AAUX source pack
};

// Never throws. A buffer that does not start with a DIF header block has
// no facts at all, since other bytes could pass for packs anywhere.
DvFrameFacts ReadDvFrameFacts(std::span<const std::uint8_t> frame);
// Its sound format alone (ReadDvFrameFacts(frame).sound), for those who
// need nothing else of the frame.
std::optional<DvAudioInfo> ReadDvFrameSound(std::span<const std::uint8_t> frame);

// Frames looked at from the start of a file for its first usable frame and
// for its first datecode.
inline constexpr std::size_t kFirstFramesLook = 50;

// The facts a file is described by. Frame `usable` is the first whole DV
// frame (a chunk of exactly one frame of the system its header names) among
// the first kFirstFramesLook: its system, aspect, timecode and sound stand
// for the file's. The datecode is the first one found from that frame on,
// within the same look, so that a file whose first frames are undated is
// still dated by the frames after them.
struct FileFirstFacts {
  std::size_t usable = 0;
  DvFrameFacts facts;
  std::optional<std::size_t> dated;     // the frame the datecode came from
  std::optional<DvPack> videoSource;     // frame `usable`'s first usable VAUX source pack
};

// The number of the first usable frame of `stream`, its bytes left in
// `frame`; nothing (and `frame` empty) when the look holds none. Throws
// FileError when the file cannot be read.
std::optional<std::size_t> FindFirstUsableFrame(const BinaryFile& file, const AviFrameIndex& index,
                                                std::size_t stream, std::vector<std::uint8_t>& frame);

// Nothing when stream `stream` has no usable frame in the look. Throws
// FileError when the file cannot be read.
std::optional<FileFirstFacts> ReadFileFirstFacts(const BinaryFile& file, const AviFrameIndex& index,
                                                 std::size_t stream);

}  // namespace korvid::media
