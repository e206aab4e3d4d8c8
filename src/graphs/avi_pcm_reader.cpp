#include "graphs/avi_pcm_reader.h"

#include <algorithm>
#include <string>

#include "graphs/conversion_job.h"
#include "graphs/dv_source.h"
#include "media/le_bytes.h"

namespace korvid::graphs {

namespace {
constexpr std::uint16_t kWavePcm = 1;
constexpr std::uint16_t kWaveExtensible = 0xFFFE;
constexpr std::size_t kChunkLimit = 16u << 20;  // no sound chunk needs more

std::uint16_t Le16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
}  // namespace

std::optional<PcmFormat> ReadPcmFormat(std::span<const std::uint8_t> strf) {
  if (strf.size() < 16) return std::nullopt;
  const std::uint16_t tag = Le16(strf, 0);
  if (tag != kWavePcm && tag != kWaveExtensible) return std::nullopt;
  PcmFormat format;
  format.channels = Le16(strf, 2);
  format.sample_rate = static_cast<int>(media::LoadLE32(strf.data() + 4));
  format.bits = Le16(strf, 14);
  if (format.channels < 1 || format.channels > 16) return std::nullopt;
  if (format.sample_rate < 1000 || format.sample_rate > 384000) return std::nullopt;
  if (format.bits != 8 && format.bits != 16) return std::nullopt;
  return format;
}

AviPcmReader::AviPcmReader(const media::BinaryFile& file, const media::TAviParam& param,
                           const media::AviFrameIndex& index, std::size_t stream)
    : file_(file), size_at_open_(file.Size()), chunks_(index.FramesOf(stream)) {
  if (stream >= param.streams.size()) throw ConversionError("no such sound stream");
  const auto format = ReadPcmFormat(param.streams[stream].format);
  if (!format) throw ConversionError("sound stream " + std::to_string(stream) + " is not 8- or 16-bit PCM");
  format_ = *format;
  const std::size_t block = static_cast<std::size_t>(format_.bits / 8) * static_cast<std::size_t>(format_.channels);
  starts_.reserve(chunks_.size() + 1);
  std::uint64_t total = 0;
  for (const media::FrameLocation& chunk : chunks_) {
    starts_.push_back(total);
    total += std::min<std::size_t>(chunk.size, kChunkLimit) / block;
  }
  starts_.push_back(total);
}

bool AviPcmReader::LoadNextChunk() {
  stereo_.clear();
  used_ = 0;
  while (next_chunk_ < chunks_.size()) {
    loaded_start_ = starts_[next_chunk_];
    const media::FrameLocation chunk = chunks_[next_chunk_++];
    raw_.resize(std::min<std::size_t>(chunk.size, kChunkLimit));
    const std::size_t got = ReadSourceBytes(file_, size_at_open_, chunk.offset, raw_);
    const std::size_t bytes_per_sample = static_cast<std::size_t>(format_.bits / 8);
    const std::size_t block = bytes_per_sample * static_cast<std::size_t>(format_.channels);
    const std::size_t frames = got / block;
    if (frames == 0) continue;
    stereo_.resize(frames * 2);
    for (std::size_t f = 0; f < frames; ++f) {
      for (std::size_t c = 0; c < 2; ++c) {
        const std::size_t channel = std::min<std::size_t>(c, static_cast<std::size_t>(format_.channels) - 1);
        const std::size_t at = f * block + channel * bytes_per_sample;
        stereo_[f * 2 + c] = bytes_per_sample == 2
                                 ? static_cast<std::int16_t>(Le16(raw_, at))
                                 : static_cast<std::int16_t>((raw_[at] - 128) * 256);
      }
    }
    return true;
  }
  return false;
}

void AviPcmReader::Seek(std::uint64_t frame) {
  if (frame < starts_.back()) {
    const auto after = std::upper_bound(starts_.begin(), starts_.end() - 1, frame);
    next_chunk_ = static_cast<std::size_t>(after - starts_.begin()) - 1;
  }
  if (frame >= starts_.back() || !LoadNextChunk()) {
    next_chunk_ = chunks_.size();
    stereo_.clear();
    loaded_start_ = starts_.back();
    used_ = 0;
    return;
  }
  used_ = static_cast<std::size_t>(std::min<std::uint64_t>(frame - loaded_start_, stereo_.size() / 2));
}

std::size_t AviPcmReader::Read(std::size_t frames, std::vector<std::int16_t>& out) {
  std::size_t done = 0;
  while (done < frames) {
    if (used_ * 2 >= stereo_.size() && !LoadNextChunk()) break;
    const std::size_t take = std::min(frames - done, stereo_.size() / 2 - used_);
    out.insert(out.end(), stereo_.begin() + static_cast<std::ptrdiff_t>(used_ * 2),
               stereo_.begin() + static_cast<std::ptrdiff_t>((used_ + take) * 2));
    used_ += take;
    done += take;
  }
  return done;
}

}  // namespace korvid::graphs
