#include "graphs/pcm_copier.h"

#include <algorithm>

#include "graphs/avi_pcm_reader.h"

namespace korvid::graphs {
namespace {

// A chunk size from the index is never trusted beyond this.
constexpr std::size_t kChunkLimit = 16u << 20;

}  // namespace

PcmCopier::PcmCopier(const DvSource& source, bool copy) : source_(source) {
  if (copy && !source.Interleaved()) {
    for (const std::size_t stream : source.AudioStreams()) {
      const auto format = ReadPcmFormat(source.Param().streams[stream].format);
      if (!format) continue;
      streams_.push_back(stream);
      formats_.push_back({static_cast<std::uint32_t>(format->sample_rate), static_cast<std::uint16_t>(format->channels),
                          static_cast<std::uint16_t>(format->bits)});
    }
  }
  next_.assign(streams_.size(), 0);
}

void PcmCopier::AfterFrame(std::size_t k, media::AviWriter& writer) {
  const std::size_t frames = source_.FrameCount();
  for (std::size_t a = 0; a < streams_.size(); ++a) {
    const auto chunks = source_.Index().FramesOf(streams_[a]);
    // The chunks that belong before the next frame; all that is left after the last.
    const std::size_t due = k + 1 >= frames ? chunks.size() : (k + 1) * chunks.size() / frames;
    for (; next_[a] < std::min(due, chunks.size()); ++next_[a]) {
      const media::FrameLocation where = chunks[next_[a]];
      chunk_.resize(std::min<std::size_t>(where.size, kChunkLimit));
      chunk_.resize(source_.ReadBytes(where.offset, chunk_));
      // Only whole sample frames.
      const std::size_t block = static_cast<std::size_t>(formats_[a].channels) * (formats_[a].bits / 8u);
      chunk_.resize(chunk_.size() / block * block);
      if (!chunk_.empty()) writer.WriteAudio(a, chunk_);
    }
  }
}

}  // namespace korvid::graphs
