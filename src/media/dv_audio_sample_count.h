#pragma once
// How many samples each frame of a DV stream carries, so that a stream of
// PCM can be cut into frames without the sound drifting from the picture.
// 625/50 divides evenly (1920, 1764 or 1280 a frame). 525/60 at
// 30000/1001 frames a second does not: 48 kHz follows the locked five-frame
// cycle 1600, 1602, 1602, 1602, 1602 (8008 samples); 32 kHz a fifteen-frame
// cycle of 1066 and 1068 that adds up to 16016; 44.1 kHz, which has no
// locked mode, gets 1471 or 1472 so that the running total never strays a
// sample from the exact one.

#include <cstddef>
#include <cstdint>

#include "media/dv_audio_format.h"
#include "media/dv_frame.h"

namespace korvid::media {

// Samples per channel for frame `index` (counted from 0) of a stream.
std::size_t SamplesForFrame(DvSystem system, DvAudioRate rate, std::uint64_t index);

// Samples per channel in frames 0 .. count-1 together.
std::uint64_t SamplesBeforeFrame(DvSystem system, DvAudioRate rate, std::uint64_t count);

// Hands out the counts of consecutive frames.
class DvSampleCountSequencer {
 public:
  DvSampleCountSequencer(DvSystem system, DvAudioRate rate) : system_(system), rate_(rate) {}

  // The count for the next frame.
  std::size_t Next() { return SamplesForFrame(system_, rate_, frames_++); }
  std::uint64_t FramesDone() const { return frames_; }
  std::uint64_t SamplesDone() const { return SamplesBeforeFrame(system_, rate_, frames_); }

 private:
  DvSystem system_;
  DvAudioRate rate_;
  std::uint64_t frames_ = 0;
};

}  // namespace korvid::media
