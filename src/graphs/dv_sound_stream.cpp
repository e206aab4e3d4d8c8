#include "graphs/dv_sound_stream.h"

#include "media/dv_audio_sample_count.h"

namespace korvid::graphs {

DvSoundStream::DvSoundStream(media::DvSystem system, int out_rate, DvSoundLayout layout)
    : system_(system), layout_(layout), converter_(out_rate, layout.pairs == DvPairUse::kAllFour ? 4 : 2) {}

void DvSoundStream::Arrange(media::DvFrameSound& sound) {
  const std::span<const std::int16_t> first = sound.Pair(0);
  frame_.assign(first.begin(), first.end());
  if (layout_.pairs == DvPairUse::kFirstPair) return;
  const bool second_recorded = sound.Decoded() && sound.Info().pairs == 2 && sound.Info().second_pair_recorded;
  if (layout_.pairs == DvPairUse::kMixed) {
    if (!second_recorded) return;
    const std::span<const std::int16_t> second = sound.Pair(1);
    // Half of each: the sum of two full-scale pairs cannot clip.
    for (std::size_t i = 0; i < frame_.size() && i < second.size(); ++i)
      frame_[i] = static_cast<std::int16_t>((int{frame_[i]} + int{second[i]}) / 2);
    return;
  }
  // Pair(1) is silence of the frame's length when it has no second pair.
  const std::vector<std::int16_t> pair0 = frame_;
  const std::span<const std::int16_t> pair1 = sound.Pair(1);
  const std::size_t samples = pair0.size() / 2;
  frame_.resize(samples * 4);
  for (std::size_t n = 0; n < samples; ++n) {
    frame_[4 * n] = pair0[2 * n];
    frame_[4 * n + 1] = pair0[2 * n + 1];
    frame_[4 * n + 2] = 2 * n + 1 < pair1.size() ? pair1[2 * n] : std::int16_t{0};
    frame_[4 * n + 3] = 2 * n + 1 < pair1.size() ? pair1[2 * n + 1] : std::int16_t{0};
  }
}

void DvSoundStream::Add(media::DvFrameSound& sound, std::uint64_t index, std::vector<std::int16_t>& out) {
  Arrange(sound);
  const int rate = sound.Rate();
  if (!layout_.locked) {
    converter_.Convert(frame_, rate, out);
    return;
  }
  if (locker_ && rate != locker_rate_) {
    // A new sound mode starts a new stretch at its own rate.
    locked_.clear();
    locker_->Finish(locked_);
    converter_.Convert(locked_, locker_rate_, out);
    locker_.reset();
  }
  if (!locker_) {
    locker_.emplace(Channels(), rate);
    locker_rate_ = rate;
  }
  // Frames marked locked, and the silence standing in for lost sound,
  // already hold their share of the picture's time.
  const std::size_t recorded = frame_.size() / static_cast<std::size_t>(Channels());
  const bool unlocked = sound.Decoded() && !sound.Info().locked;
  const std::size_t share =
      unlocked ? media::SamplesForFrame(system_, media::DvAudioRateOfHz(rate), index) : recorded;
  locked_.clear();
  locker_->Add(frame_, share, locked_);
  converter_.Convert(locked_, rate, out);
}

void DvSoundStream::Finish(std::vector<std::int16_t>& out) {
  if (locker_) {
    locked_.clear();
    locker_->Finish(locked_);
    converter_.Convert(locked_, locker_rate_, out);
    locker_.reset();
  }
  converter_.Flush(out);
}

}  // namespace korvid::graphs
