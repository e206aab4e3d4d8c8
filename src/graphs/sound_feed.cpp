#include "graphs/sound_feed.h"

#include "graphs/dv_source.h"
#include "media/dv_audio.h"
#include "media/dv_audio_sample_count.h"

namespace korvid::graphs {

std::span<const std::int16_t> SoundFeed::Take(std::size_t count) {
  // Locked sound arrives a stretch of seconds at once: what was handed out
  // is dropped only once it is half the buffer, not frame by frame.
  start_ += handed_;
  handed_ = 0;
  if (start_ > 0 && 2 * start_ >= buffer_.size()) {
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start_));
    start_ = 0;
  }
  while (buffer_.size() - start_ < count * 2 && !ended_) {
    raw_.clear();
    const int rate = Pull(raw_);
    if (rate == 0) {
      converter_.Flush(buffer_);
      ended_ = true;
      break;
    }
    converter_.Convert(raw_, rate, buffer_);
  }
  if (buffer_.size() - start_ < count * 2) buffer_.resize(start_ + count * 2, 0);
  handed_ = count * 2;
  return std::span<const std::int16_t>(buffer_).subspan(start_, handed_);
}

AviSoundFeed::AviSoundFeed(const DvSource& source, std::size_t stream, int rate, bool locked)
    : SoundFeed(rate), source_(source), reader_(source.File(), source.Param(), source.Index(), stream), locked_(locked) {
  if (locked_) locker_.emplace(2, reader_.SampleRate());
}

int AviSoundFeed::Pull(std::vector<std::int16_t>& out) {
  if (locked_) return PullLocked(out);
  return reader_.Read(2048, out) == 0 ? 0 : reader_.SampleRate();
}

int AviSoundFeed::PullLocked(std::vector<std::int16_t>& out) {
  if (finished_) return 0;
  const int rate = reader_.SampleRate();
  if (next_ >= source_.FrameCount()) {
    locker_->Finish(out);
    finished_ = true;
    return rate;
  }
  const std::size_t k = next_++;
  const std::size_t nominal = media::SamplesForFrame(source_.System(), media::DvAudioRateOfHz(rate), k);
  std::size_t recorded = nominal;
  std::size_t share = nominal;
  if (source_.ReadFrame(k, frame_)) {
    try {
      const media::DvAudioInfo info = media::ReadDvAudioInfo(frame_);
      if (info.sample_rate == rate) {
        recorded = info.samples;
        share = info.locked ? recorded : nominal;
      }
    } catch (const media::DvAudioError&) {
      // no count of its own: the frame takes its share
    }
  }
  samples_.clear();
  reader_.Read(recorded, samples_);
  samples_.resize(2 * recorded, 0);  // a stream ending early ends in silence
  locker_->Add(samples_, share, out);
  return rate;
}

DvFrameSoundFeed::DvFrameSoundFeed(const DvSource& source, int rate, DvSoundLayout layout)
    : SoundFeed(rate),
      source_(source),
      sound_(source.System(), rate),
      stream_(source.System(), rate,
              DvSoundLayout{layout.locked, layout.pairs == DvPairUse::kAllFour ? DvPairUse::kFirstPair : layout.pairs}) {}

int DvFrameSoundFeed::Pull(std::vector<std::int16_t>& out) {
  if (finished_) return 0;
  if (next_ >= source_.FrameCount()) {
    stream_.Finish(out);
    finished_ = true;
    return SoundFeed::Rate();
  }
  const std::size_t k = next_++;
  const bool read = source_.ReadFrame(k, frame_);
  sound_.Read(read ? std::span<const std::uint8_t>(frame_) : std::span<const std::uint8_t>(), k);
  stream_.Add(sound_, k, out);
  return SoundFeed::Rate();
}

std::unique_ptr<SoundFeed> MakeSoundFeed(const DvSource& source, int rate, DvSoundLayout layout) {
  // The auds streams hold a pair each: mixing takes both pairs from the
  // frames, which always hold them.
  const auto two_pairs = [&source] {
    const auto first = FirstAudioInfo(source);
    return first && first->pairs == 2;
  };
  if (!source.AudioStreams().empty() && !(layout.pairs == DvPairUse::kMixed && two_pairs())) {
    const auto format = ReadPcmFormat(source.Param().streams[source.AudioStreams()[0]].format);
    if (format) return std::make_unique<AviSoundFeed>(source, source.AudioStreams()[0], rate, layout.locked);
  }
  if (!FirstAudioInfo(source)) return nullptr;
  return std::make_unique<DvFrameSoundFeed>(source, rate, layout);
}

}  // namespace korvid::graphs
