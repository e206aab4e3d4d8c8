#pragma once
// What the player gets for one frame of a file (or, for a file with sound
// only, one stretch of its sound): everything carries its own position, so
// that what is on screen and what is heard are known exactly.

#include <cstdint>
#include <optional>
#include <vector>

#include <QImage>

#include "media/dv_packs.h"

namespace korvid::graphs {

// The shape the picture is shown in, e.g. 4:3 or 16:9.
struct DisplayAspect {
  int num = 4;
  int den = 3;
  friend bool operator==(const DisplayAspect&, const DisplayAspect&) = default;
};

// The packs a DV frame carries about itself.
struct FramePacks {
  media::TDatecode datecode;
  media::TTimecode timecode;
  bool wide = false;
};

// Interleaved signed 16-bit samples.
struct PcmChunk {
  int sample_rate = 0;
  int channels = 0;
  std::vector<std::int16_t> samples;
  std::size_t Frames() const {
    return channels > 0 ? samples.size() / static_cast<std::size_t>(channels) : 0;
  }
};

struct PlaybackFrame {
  // Frame number; for a file with sound only, the number of the stretch.
  std::int64_t number = 0;
  std::int64_t time_ms = 0;  // where it starts
  // Null when the frame could not be decoded (a damaged frame): the
  // picture before stays on screen.
  QImage picture;  // Format_RGB32
  DisplayAspect aspect;
  std::optional<FramePacks> packs;  // DV only
  PcmChunk sound;                   // empty when the file has none
};

}  // namespace korvid::graphs
