#include "media/dv_frame_sound.h"

#include "media/dv_audio_sample_count.h"

namespace korvid::media {

DvAudioRate DvAudioRateOfHz(int hz) {
  if (hz == 44100) return DvAudioRate::k44100;
  if (hz == 32000) return DvAudioRate::k32000;
  return DvAudioRate::k48000;
}

bool DvFrameSound::Read(std::span<const std::uint8_t> frame, std::uint64_t index) {
  decoded_ = false;
  if (!frame.empty()) {
    try {
      DecodeDvAudio(frame, audio_);
      decoded_ = !audio_.pcm[0].empty();
    } catch (const DvAudioError&) {
      decoded_ = false;
    }
  }
  if (decoded_) {
    rate_ = audio_.info.sample_rate;
    samples_ = audio_.info.samples;
  } else {
    samples_ = SamplesForFrame(system_, DvAudioRateOfHz(rate_), index);
  }
  return decoded_;
}

std::span<const std::int16_t> DvFrameSound::Pair(std::size_t pair) {
  if (decoded_ && pair < audio_.pcm.size() && !audio_.pcm[pair].empty()) return audio_.pcm[pair];
  silence_.assign(samples_ * 2, 0);
  return silence_;
}

}  // namespace korvid::media
