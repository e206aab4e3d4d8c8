#include "graphs/sound_feed.h"

#include "graphs/dv_type_jobs.h"
#include "media/dv_audio_sample_count.h"

namespace korvid::graphs {

std::span<const std::int16_t> SoundFeed::Take(std::size_t count) {
  buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(handed_));
  handed_ = 0;
  while (buffer_.size() < count * 2 && !ended_) {
    raw_.clear();
    const int rate = Pull(raw_);
    if (rate == 0) {
      converter_.Flush(buffer_);
      ended_ = true;
      break;
    }
    converter_.Convert(raw_, rate, buffer_);
  }
  if (buffer_.size() < count * 2) buffer_.resize(count * 2, 0);
  handed_ = count * 2;
  return std::span<const std::int16_t>(buffer_).first(handed_);
}

AviSoundFeed::AviSoundFeed(const DvSource& source, std::size_t stream, int rate)
    : SoundFeed(rate), reader_(source.File(), source.Param(), source.Index(), stream) {}

int AviSoundFeed::Pull(std::vector<std::int16_t>& out) {
  return reader_.Read(2048, out) == 0 ? 0 : reader_.SampleRate();
}

DvFrameSoundFeed::DvFrameSoundFeed(const DvSource& source, int rate, std::size_t pair)
    : SoundFeed(rate), source_(source), pair_(pair), last_rate_(rate) {}

int DvFrameSoundFeed::Pull(std::vector<std::int16_t>& out) {
  if (next_ >= source_.FrameCount()) return 0;
  const std::size_t k = next_++;
  if (source_.ReadFrame(k, frame_)) {
    try {
      media::DecodeDvAudio(frame_, audio_);
      if (pair_ < audio_.pcm.size() && !audio_.pcm[pair_].empty()) {
        out.insert(out.end(), audio_.pcm[pair_].begin(), audio_.pcm[pair_].end());
        last_rate_ = audio_.info.sample_rate;
        return last_rate_;
      }
    } catch (const media::DvAudioError&) {
    }
  }
  // The frame's time in silence, at the rate of the sound around it.
  const auto rate = last_rate_ == 44100 ? media::DvAudioRate::k44100
                    : last_rate_ == 32000 ? media::DvAudioRate::k32000
                                          : media::DvAudioRate::k48000;
  out.resize(out.size() + media::SamplesForFrame(source_.System(), rate, k) * 2, 0);
  return media::SampleRateHz(rate);
}

std::unique_ptr<SoundFeed> MakeSoundFeed(const DvSource& source, int rate) {
  if (!source.AudioStreams().empty()) {
    const auto format = ReadPcmFormat(source.Param().streams[source.AudioStreams()[0]].format);
    if (format) return std::make_unique<AviSoundFeed>(source, source.AudioStreams()[0], rate);
  }
  if (!FirstAudioInfo(source)) return nullptr;
  return std::make_unique<DvFrameSoundFeed>(source, rate);
}

}  // namespace korvid::graphs
