#pragma once
// Damage the recorder or the capture marked inside a DV frame, counted per
// DIF block: video blocks whose STA nibble (upper half of the fourth byte,
// IEC 61834-2) is not 0, which flags a block concealed or in error, and
// audio blocks holding at least one sample with the error code (0x8000 for
// 16-bit, 0x800 for 12-bit samples). Blocks are found by their place in the
// sequence, not by their ID bytes, which damage may have hit as well.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "media/dv_audio.h"
#include "media/dv_frame.h"

namespace korvid::media {

struct DifBlockErrors {
  std::size_t videoBlocksMarked = 0;
  // Nothing when no sound format is known for the frame or it is cut short.
  std::optional<std::size_t> audioBlocksWithErrors;
};

// Keeps the last frame's audio block marks.
class DifBlockErrorCounter {
 public:
  // Counts over the whole frames of the buffer; a buffer that does not
  // start with a DIF header block counts nothing. The audio samples are
  // read in the frame's own format or, when it has no usable AAUX source
  // pack, in `file_sound` (the file's, when known): a frame whose packs
  // were lost with its sound still has its error codes counted.
  DifBlockErrors Count(std::span<const std::uint8_t> frame, const std::optional<DvAudioInfo>& file_sound = {});

  // After Count: one byte per DIF block of the frame, 1 for an audio block
  // holding an error code; empty when the audio was not counted.
  std::span<const std::uint8_t> AudioBlockMarks() const { return marked_; }

 private:
  std::optional<std::size_t> CountAudio(std::span<const std::uint8_t> frame, DvSystem system,
                                        const std::optional<DvAudioInfo>& file_sound);

  std::vector<std::uint8_t> marked_;
};

}  // namespace korvid::media
