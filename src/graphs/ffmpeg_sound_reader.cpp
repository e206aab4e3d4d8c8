#include "graphs/ffmpeg_sound_reader.h"

#include <algorithm>

#include "graphs/ffmpeg_input.h"

namespace korvid::graphs {

namespace {
// Further ahead than this (in seconds), seeking beats decoding on.
constexpr std::uint64_t kDecodeOnSeconds = 2;
}  // namespace

FfmpegSoundReader::FfmpegSoundReader(const std::filesystem::path& path, std::size_t avi_stream)
    : format_(OpenMediaFile(path)), packet_(AllocPacket()), decoded_(AllocFrame()) {
  stream_ = KeepOnlyStream(*format_, avi_stream, AVMEDIA_TYPE_AUDIO);
  if (stream_ < 0) throw ConversionError("FFmpeg finds no sound in " + path.string());
  decoder_ = OpenDecoder(*format_->streams[stream_], 1);
  rate_ = decoder_->sample_rate;
  channels_ = decoder_->ch_layout.nb_channels;
  if (rate_ < 1 || channels_ < 1 || channels_ > 16)
    throw ConversionError("the sound of " + path.string() + " has no usable format");
  SwrContext* raw = nullptr;
  if (swr_alloc_set_opts2(&raw, &decoder_->ch_layout, AV_SAMPLE_FMT_S16, rate_, &decoder_->ch_layout,
                          decoder_->sample_fmt, rate_, 0, nullptr) < 0)
    throw ConversionError("cannot convert the sound of " + path.string());
  converter_.reset(raw);
  if (swr_init(converter_.get()) < 0) throw ConversionError("cannot convert the sound of " + path.string());
  const AVStream& stream = *format_->streams[stream_];
  if (stream.duration > 0)
    total_ = static_cast<std::uint64_t>(av_rescale_q(stream.duration, stream.time_base, AVRational{1, rate_}));
}

void FfmpegSoundReader::SeekTo(std::uint64_t start) {
  const AVStream& stream = *format_->streams[stream_];
  av_seek_frame(format_.get(), stream_,
                av_rescale_q(static_cast<std::int64_t>(start), AVRational{1, rate_}, stream.time_base),
                AVSEEK_FLAG_BACKWARD);
  avcodec_flush_buffers(decoder_.get());
  buffer_.clear();
  placed_ = at_end_ = sent_end_ = fresh_ = false;
}

bool FfmpegSoundReader::DecodeMore() {
  fresh_ = false;
  if (!DecodeNextFrame(*format_, *decoder_, *packet_, stream_, sent_end_, *decoded_)) return false;
  if (!placed_) {
    // The first piece after opening or a seek says where the buffer starts.
    const AVStream& stream = *format_->streams[stream_];
    const std::int64_t pts = decoded_->best_effort_timestamp;
    const std::int64_t at = pts == AV_NOPTS_VALUE ? 0 : av_rescale_q(pts, stream.time_base, AVRational{1, rate_});
    buffer_start_ = static_cast<std::uint64_t>(std::max<std::int64_t>(at, 0));
    placed_ = true;
  }
  const std::size_t before = buffer_.size();
  buffer_.resize(before + Samples(static_cast<std::uint64_t>(decoded_->nb_samples)));
  auto* out = reinterpret_cast<std::uint8_t*>(buffer_.data() + before);
  const int made = swr_convert(converter_.get(), &out, decoded_->nb_samples,
                               const_cast<const std::uint8_t**>(decoded_->extended_data), decoded_->nb_samples);
  buffer_.resize(before + Samples(static_cast<std::uint64_t>(std::max(made, 0))));
  av_frame_unref(decoded_.get());
  return true;
}

void FfmpegSoundReader::Read(std::uint64_t start, std::size_t count, std::vector<std::int16_t>& out) {
  const std::uint64_t end = start + count;
  const std::uint64_t buffer_end = buffer_start_ + buffer_.size() / static_cast<std::size_t>(channels_);
  const bool reachable = placed_ && start >= buffer_start_ &&
                         start <= buffer_end + kDecodeOnSeconds * static_cast<std::uint64_t>(rate_);
  if (!reachable && !(fresh_ && start == 0)) SeekTo(start);
  while (!at_end_ && (!placed_ || buffer_start_ + buffer_.size() / static_cast<std::size_t>(channels_) < end))
    if (!DecodeMore()) at_end_ = true;
  const std::size_t first = out.size();
  out.resize(first + Samples(count), 0);
  if (!placed_) return;
  const std::uint64_t have_end = buffer_start_ + buffer_.size() / static_cast<std::size_t>(channels_);
  const std::uint64_t from = std::max(start, buffer_start_);
  const std::uint64_t to = std::min(end, have_end);
  if (from < to)
    std::copy(buffer_.begin() + static_cast<std::ptrdiff_t>(Samples(from - buffer_start_)),
              buffer_.begin() + static_cast<std::ptrdiff_t>(Samples(to - buffer_start_)),
              out.begin() + static_cast<std::ptrdiff_t>(first + Samples(from - start)));
  // What lies before this request is not asked for again when reading on.
  const std::uint64_t drop_to = std::min(from, have_end);
  if (drop_to > buffer_start_) {
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(Samples(drop_to - buffer_start_)));
    buffer_start_ = drop_to;
  }
}

}  // namespace korvid::graphs
