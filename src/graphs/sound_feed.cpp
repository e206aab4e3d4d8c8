#include "graphs/sound_feed.h"

#include "graphs/dv_type_jobs.h"

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
  if (!source.AudioStreams().empty()) {
    const auto format = ReadPcmFormat(source.Param().streams[source.AudioStreams()[0]].format);
    if (format) return std::make_unique<AviSoundFeed>(source, source.AudioStreams()[0], rate);
  }
  if (!FirstAudioInfo(source)) return nullptr;
  return std::make_unique<DvFrameSoundFeed>(source, rate, layout);
}

}  // namespace korvid::graphs
