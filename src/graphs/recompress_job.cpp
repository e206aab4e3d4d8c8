#include "graphs/recompress_job.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "graphs/ffmpeg_input.h"
#include "graphs/dv_type_jobs.h"
#include "graphs/sound_feed.h"
#include "media/avi_writer.h"
#include "media/dv_audio_encoder.h"
#include "media/dv_audio_sample_count.h"
#include "graphs/dv_video_encoder.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
}

namespace korvid::graphs {

namespace {

constexpr int kSoundRate = 48000;

// The sound of the source's first audio stream, through its own reading
// of the file so that it never waits on the picture.
class FfmpegSoundFeed : public SoundFeed {
 public:
  explicit FfmpegSoundFeed(const std::filesystem::path& path)
      : SoundFeed(kSoundRate), format_(OpenMediaFile(path)), packet_(AllocPacket()),
        frame_(AllocFrame()) {
    stream_ = av_find_best_stream(format_.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (stream_ < 0) throw ConversionError("no sound");
    decoder_ = OpenDecoder(*format_->streams[stream_], 1);
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    SwrContext* raw = nullptr;
    if (swr_alloc_set_opts2(&raw, &stereo, AV_SAMPLE_FMT_S16, kSoundRate, &decoder_->ch_layout,
                            decoder_->sample_fmt, decoder_->sample_rate, 0, nullptr) < 0)
      throw ConversionError("cannot convert the source's sound");
    swr_.reset(raw);
    if (swr_init(swr_.get()) < 0) throw ConversionError("cannot convert the source's sound");
  }

 protected:
  int Pull(std::vector<std::int16_t>& out) override {
    for (;;) {
      if (avcodec_receive_frame(decoder_.get(), frame_.get()) == 0) {
        Convert(const_cast<const std::uint8_t**>(frame_->extended_data), frame_->nb_samples, out);
        av_frame_unref(frame_.get());
        return kSoundRate;
      }
      if (drained_) {
        const std::size_t before = out.size();
        Convert(nullptr, 0, out);
        return out.size() > before ? kSoundRate : 0;
      }
      if (av_read_frame(format_.get(), packet_.get()) < 0) {
        avcodec_send_packet(decoder_.get(), nullptr);
        drained_ = true;
        continue;
      }
      if (packet_->stream_index == stream_) avcodec_send_packet(decoder_.get(), packet_.get());
      av_packet_unref(packet_.get());
    }
  }

 private:
  void Convert(const std::uint8_t** in, int samples, std::vector<std::int16_t>& out) {
    const int room = swr_get_out_samples(swr_.get(), samples) + 16;
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(room) * 2);
    auto* dst = reinterpret_cast<std::uint8_t*>(out.data() + at);
    const int got = swr_convert(swr_.get(), &dst, room, in, samples);
    out.resize(at + static_cast<std::size_t>(std::max(got, 0)) * 2);
  }

  InputFormatPtr format_;
  PacketPtr packet_;
  FramePtr frame_;
  CodecContextPtr decoder_;
  SwrPtr swr_;
  int stream_ = -1;
  bool drained_ = false;
};

// Where the source picture goes inside the DV frame: as large as fits
// with its shape kept, centred, on chroma-aligned positions.
struct Placement {
  int x, y, width, height;
};

Placement PlacePicture(const AVCodecContext& source, const AVStream& stream, int frame_width, int frame_height,
                       bool wide, int align_x) {
  AVRational sar = stream.sample_aspect_ratio.num > 0 ? stream.sample_aspect_ratio : source.sample_aspect_ratio;
  if (sar.num <= 0 || sar.den <= 0) sar = {1, 1};
  const double source_shape = source.width * av_q2d(sar) / source.height;
  const double frame_shape = wide ? 16.0 / 9.0 : 4.0 / 3.0;
  int width = frame_width;
  int height = frame_height;
  if (source_shape > frame_shape)
    height = static_cast<int>(std::lround(frame_height * frame_shape / source_shape / 2.0)) * 2;
  else
    width = static_cast<int>(std::lround(frame_width * source_shape / frame_shape / align_x)) * align_x;
  width = std::clamp(width, align_x, frame_width);
  height = std::clamp(height, 2, frame_height);
  const int x = (frame_width - width) / 2 / align_x * align_x;
  const int y = (frame_height - height) / 4 * 2;
  return {x, y, width, height};
}

void FillBlack(AVFrame& picture) {
  const int chroma_rows = picture.format == AV_PIX_FMT_YUV420P ? picture.height / 2 : picture.height;
  for (int row = 0; row < picture.height; ++row)
    std::memset(picture.data[0] + row * picture.linesize[0], 16, static_cast<std::size_t>(picture.linesize[0]));
  for (int p = 1; p < 3; ++p)
    for (int row = 0; row < chroma_rows; ++row)
      std::memset(picture.data[p] + row * picture.linesize[p], 128, static_cast<std::size_t>(picture.linesize[p]));
}

}  // namespace

RecompressJob::RecompressJob(const std::filesystem::path& source, std::filesystem::path output,
                             media::DvSystem target, bool wide, std::optional<Dixmark> dixmark)
    : source_(source), output_(std::move(output)), target_(target), wide_(wide), dixmark_(std::move(dixmark)) {
  const InputFormatPtr format = OpenMediaFile(source_);
  const int video = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (video < 0) throw ConversionError(source_.string() + " has no picture");
  const AVStream& stream = *format->streams[video];
  if (stream.duration > 0)
    duration_ = av_rescale_q(stream.duration, stream.time_base, AVRational{1, static_cast<int>(kTicksPerSecond)});
  else if (format->duration > 0)
    duration_ = format->duration * (kTicksPerSecond / AV_TIME_BASE);
}

void RecompressJob::Run(JobProgress& progress) {
  const InputFormatPtr format = OpenMediaFile(source_);
  const int video = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (video < 0) throw ConversionError(source_.string() + " has no picture");
  const AVStream& stream = *format->streams[video];
  CodecContextPtr decoder = OpenDecoder(stream, 2);

  std::unique_ptr<SoundFeed> sound;
  try {
    sound = std::make_unique<FfmpegSoundFeed>(source_);
  } catch (const ConversionError&) {
  }

  DvVideoEncoder encoder(target_, wide_);
  std::vector<media::AviAudioFormat> formats;
  if (sound) formats.push_back({kSoundRate, 2, 16});
  media::AviWriter writer = media::AviWriter::CreateType2(output_, {target_, wide_}, formats, {.source = source_});

  FramePtr picture = encoder.NewPicture();
  FillBlack(*picture);
  SwsPtr sws;
  Placement place{};
  bool have_picture = false;
  std::uint64_t written = 0;
  const media::FrameRate rate = media::DvFrameRate(target_);
  std::int64_t first_pts = AV_NOPTS_VALUE;

  // Output frames whose instant lies before `until` (ticks) show the
  // current picture.
  auto emit_until = [&](std::int64_t until) {
    while (have_picture && !progress.StopRequested() && FramesToTicks(written, rate.rate, rate.scale) < until) {
      std::vector<std::uint8_t> frame = encoder.Encode(*picture);
      if (dixmark_) dixmark_->ProcessInPlace(frame);
      if (sound) {
        const std::size_t count = media::SamplesForFrame(target_, media::DvAudioRate::k48000, written);
        const std::span<const std::int16_t> pcm = sound->Take(count);
        media::EncodeDvAudio(frame, media::DvAudioMode::k48k16Bit2Ch, pcm);
        writer.WriteVideoFrame(frame);
        writer.WriteAudio(0, {reinterpret_cast<const std::uint8_t*>(pcm.data()), pcm.size_bytes()});
      } else {
        writer.WriteVideoFrame(frame);
      }
      ++written;
      progress.SetPosition(FramesToTicks(written, rate.rate, rate.scale));
    }
  };

  PacketPtr packet = AllocPacket();
  FramePtr decoded = AllocFrame();
  const AVRational ticks{1, static_cast<int>(kTicksPerSecond)};
  std::int64_t last_time = 0;
  std::int64_t frame_span = FramesToTicks(1, rate.rate, rate.scale);
  bool input_done = false;
  while (!progress.StopRequested()) {
    const int received = avcodec_receive_frame(decoder.get(), decoded.get());
    if (received == AVERROR_EOF) break;
    if (received == AVERROR(EAGAIN)) {
      if (input_done) break;
      if (av_read_frame(format.get(), packet.get()) < 0) {
        avcodec_send_packet(decoder.get(), nullptr);
        input_done = true;
        continue;
      }
      if (packet->stream_index == video) avcodec_send_packet(decoder.get(), packet.get());
      av_packet_unref(packet.get());
      continue;
    }
    if (received < 0) throw ConversionError("the source's picture cannot be decoded");
    std::int64_t pts = decoded->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE) pts = first_pts == AV_NOPTS_VALUE ? 0 : first_pts;
    if (first_pts == AV_NOPTS_VALUE) first_pts = pts;
    const std::int64_t time = av_rescale_q(pts - first_pts, stream.time_base, ticks);
    if (decoded->pkt_duration > 0) frame_span = av_rescale_q(decoded->pkt_duration, stream.time_base, ticks);
    emit_until(time);
    if (!sws || decoded->width != decoder->width || decoded->height != decoder->height) {
      place = PlacePicture(*decoder, stream, encoder.Width(), encoder.Height(), wide_,
                           target_ == media::DvSystem::k625_50 ? 2 : 4);
      sws.reset(sws_getContext(decoded->width, decoded->height, static_cast<AVPixelFormat>(decoded->format),
                               place.width, place.height, encoder.PixelFormat(), SWS_BICUBIC, nullptr, nullptr,
                               nullptr));
      if (!sws) throw ConversionError("cannot scale the source's picture");
      FillBlack(*picture);
    }
    const int chroma_x = target_ == media::DvSystem::k625_50 ? 2 : 4;
    const int chroma_y = target_ == media::DvSystem::k625_50 ? 2 : 1;
    std::uint8_t* planes[4] = {
        picture->data[0] + place.y * picture->linesize[0] + place.x,
        picture->data[1] + place.y / chroma_y * picture->linesize[1] + place.x / chroma_x,
        picture->data[2] + place.y / chroma_y * picture->linesize[2] + place.x / chroma_x, nullptr};
    sws_scale(sws.get(), decoded->data, decoded->linesize, 0, decoded->height, planes, picture->linesize);
    have_picture = true;
    last_time = time;
    av_frame_unref(decoded.get());
  }
  emit_until(last_time + frame_span);
  writer.Close();
}

}  // namespace korvid::graphs
