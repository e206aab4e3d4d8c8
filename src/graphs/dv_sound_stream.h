#pragma once
// The sound of DV frames, frame after frame, made into one stream at one
// rate: as recorded (each frame's own samples, as many as it holds) or
// locked to the picture (media::SoundLocker), from the first stereo pair,
// all four channels of a four-channel recording, or its two pairs mixed.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "graphs/pcm_rate_converter.h"
#include "media/dv_frame.h"
#include "media/dv_frame_sound.h"
#include "media/sound_locker.h"

namespace korvid::graphs {

enum class DvPairUse {
  kFirstPair,  // channels 1-2
  kAllFour,    // channels 1-4; silence on 3-4 where a frame has one pair
  kMixed,      // 1+3 and 2+4, where the second pair was recorded
};

struct DvSoundLayout {
  bool locked = false;
  DvPairUse pairs = DvPairUse::kFirstPair;
};

class DvSoundStream {
 public:
  DvSoundStream(media::DvSystem system, int out_rate, DvSoundLayout layout);

  int Channels() const { return layout_.pairs == DvPairUse::kAllFour ? 4 : 2; }

  // Appends frame `index`'s contribution, `sound` having just read it;
  // locked sound comes a stretch at a time, so some calls append nothing.
  void Add(media::DvFrameSound& sound, std::uint64_t index, std::vector<std::int16_t>& out);
  // Appends what is still held.
  void Finish(std::vector<std::int16_t>& out);

 private:
  void Arrange(media::DvFrameSound& sound);

  media::DvSystem system_;
  DvSoundLayout layout_;
  PcmRateConverter converter_;
  std::optional<media::SoundLocker> locker_;
  int locker_rate_ = 0;
  std::vector<std::int16_t> frame_;   // the frame's samples, arranged
  std::vector<std::int16_t> locked_;  // the locker's output, before rate conversion
};

}  // namespace korvid::graphs
