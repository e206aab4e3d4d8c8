#include "graphs/audio_extraction_job.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "graphs/dv_source.h"
#include "graphs/dv_type_jobs.h"
#include "graphs/ffmpeg_input.h"
#include "graphs/sound_feed.h"
#include "media/dv_audio_sample_count.h"
#include "media/avi_frame_index.h"
#include "media/avi_param.h"
#include "media/dv_audio.h"
#include "media/dv_frame_sound.h"
#include "media/le_bytes.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

namespace korvid::graphs {

namespace {

constexpr std::uint16_t kWavePcm = 1;
constexpr std::uint16_t kWaveFloat = 3;
constexpr std::uint16_t kWaveExtensible = 0xFFFE;
constexpr std::size_t kExtensibleBytes = 40;
constexpr std::size_t kReadPiece = std::size_t{1} << 20;

struct StoredFormat {
  std::vector<std::uint8_t> fmt;  // the "fmt " body to write
  std::uint32_t bytes_per_second = 0;
  std::uint16_t block = 0;
};

// The stream's format when it is PCM that a WAV file takes as it stands.
std::optional<StoredFormat> StoredPcmFormat(std::span<const std::uint8_t> strf) {
  const auto tag = media::ReadLE16(strf, 0);
  const auto channels = media::ReadLE16(strf, 2);
  const auto rate = media::ReadLE32(strf, 4);
  const auto block = media::ReadLE16(strf, 12);
  const auto bits = media::ReadLE16(strf, 14);
  if (!tag || !channels || !rate || !block || !bits) return std::nullopt;
  if (*channels == 0 || *rate == 0 || *block == 0 || *bits == 0) return std::nullopt;
  if (*tag != kWavePcm && *tag != kWaveFloat && *tag != kWaveExtensible) return std::nullopt;
  // A block must hold one sample of every channel.
  if (*block < *channels * ((*bits + 7u) / 8u)) return std::nullopt;
  StoredFormat format;
  const std::size_t keep = *tag == kWaveExtensible ? kExtensibleBytes : 16;
  if (strf.size() < keep) return std::nullopt;
  format.fmt.assign(strf.begin(), strf.begin() + static_cast<std::ptrdiff_t>(keep));
  format.block = *block;
  format.bytes_per_second = *rate * *block;
  return format;
}

std::span<const std::uint8_t> BytesOf(const std::vector<std::int16_t>& pcm) {
  return {reinterpret_cast<const std::uint8_t*>(pcm.data()), pcm.size() * sizeof(std::int16_t)};
}

std::int64_t BytesToTicks(std::uint64_t bytes, std::uint32_t bytes_per_second) {
  if (bytes_per_second == 0) return 0;
  // Seconds then remainder, so that 64 bits hold any file.
  return static_cast<std::int64_t>(bytes / bytes_per_second) * kTicksPerSecond +
         static_cast<std::int64_t>((bytes % bytes_per_second) * kTicksPerSecond / bytes_per_second);
}

std::int64_t StreamTicks(const AVFormatContext& format, int stream) {
  const AVStream& s = *format.streams[stream];
  if (s.duration > 0) return av_rescale_q(s.duration, s.time_base, AVRational{1, static_cast<int>(kTicksPerSecond)});
  if (format.duration > 0) return av_rescale(format.duration, kTicksPerSecond, AV_TIME_BASE);
  return 0;
}

}  // namespace

AudioExtractionJob::AudioExtractionJob(const std::filesystem::path& source, std::filesystem::path output,
                                       const media::WavWriterOptions& options, DvSoundLayout sound)
    : source_(source), output_(std::move(output)), options_(options), sound_(sound) {
  options_.source = source_;
  std::optional<media::TFriendlyAviParam> param;
  try {
    param.emplace(source_);
  } catch (const media::FileError& error) {
    throw ConversionError(error.what());
  }
  if (!param->valid) throw NothingToConvert("not an AVI file: " + source_.string());

  bool found = false;
  if (sound_.pairs == DvPairUse::kAllFour) found = TakeFourChannelsFromFrames(*param);
  for (std::size_t i = 0; i < param->streams.size() && !found; ++i) {
    const std::uint32_t type = param->streams[i].FccType();
    if (type == media::FourCC("auds")) {
      stream_ = i;
      found = true;
      if (const auto stored = StoredPcmFormat(param->streams[i].format)) {
        route_ = AudioRoute::kStoredPcm;
        const media::BinaryFile file(source_, media::BinaryFile::Mode::kRead);
        const media::AviFrameIndex index = media::AviFrameIndex::Load(file, *param);
        std::uint64_t bytes = 0;
        for (const media::FrameLocation& chunk : index.FramesOf(i)) bytes += chunk.size / stored->block * stored->block;
        duration_ = BytesToTicks(bytes, stored->bytes_per_second);
      } else {
        route_ = AudioRoute::kDecoded;
        const InputFormatPtr format = OpenMediaFile(source_);
        const int s = KeepOnlyStream(*format, i, AVMEDIA_TYPE_AUDIO);
        if (s < 0) throw ConversionError("FFmpeg finds no sound in " + source_.string());
        duration_ = StreamTicks(*format, s);
      }
    } else if (type == media::FourCC("iavs")) {
      try {
        const DvSource dv(source_);
        if (!FirstAudioInfo(dv)) continue;
        stream_ = i;
        found = true;
        route_ = AudioRoute::kDvFrames;
        duration_ = DvFramesTicks(dv.System(), dv.FrameCount());
      } catch (const NothingToConvert&) {
        // DV without a readable first frame: look on for another sound.
      }
    }
  }
  if (!found) throw NothingToConvert("no sound stream in " + source_.string());
}

bool AudioExtractionJob::TakeFourChannelsFromFrames(const media::TFriendlyAviParam& param) {
  // A type-2 capture may keep channels 3-4 in an auds stream of their own,
  // or only in the frames; the frames always hold both pairs.
  if (std::none_of(param.streams.begin(), param.streams.end(),
                   [](const media::TAvistream& s) { return s.FccType() == media::FourCC("auds"); }))
    return false;
  try {
    const DvSource dv(source_);
    const auto first = FirstAudioInfo(dv);
    if (!first || first->pairs != 2) return false;
    for (std::size_t i = 0; i < param.streams.size(); ++i)
      if (param.streams[i].FccType() == media::FourCC("vids")) {
        stream_ = i;
        break;
      }
    route_ = AudioRoute::kDvFrames;
    duration_ = DvFramesTicks(dv.System(), dv.FrameCount());
    return true;
  } catch (const NothingToConvert&) {
    return false;  // not DV: its auds streams are all there is
  }
}

void AudioExtractionJob::Run(JobProgress& progress) {
  switch (route_) {
    case AudioRoute::kStoredPcm:
      if (LockStored(progress)) break;
      CopyStored(progress);
      break;
    case AudioRoute::kDvFrames:
      DecodeDvFrames(progress);
      break;
    case AudioRoute::kDecoded:
      DecodeWithFfmpeg(progress);
      break;
  }
  // The last block's end may fall short of a duration rounded up elsewhere.
  if (!progress.StopRequested() && progress.Position() < duration_) progress.SetPosition(duration_);
}

void AudioExtractionJob::CopyStored(JobProgress& progress) {
  const media::BinaryFile file(source_, media::BinaryFile::Mode::kRead);
  const std::uint64_t size_at_open = file.Size();
  const media::TAviParam param(file);
  if (stream_ >= param.streams.size()) throw ConversionError("the sound stream has gone from " + source_.string());
  const auto format = StoredPcmFormat(param.streams[stream_].format);
  if (!format) throw ConversionError("the sound stream of " + source_.string() + " has changed");
  const media::AviFrameIndex index = media::AviFrameIndex::Load(file, param);

  media::WavWriter writer(output_, format->fmt, options_);
  std::vector<std::uint8_t> piece;
  std::uint64_t copied = 0;
  for (const media::FrameLocation& chunk : index.FramesOf(stream_)) {
    if (progress.StopRequested()) break;
    // A chunk cut short by a damaged file keeps only its whole blocks, so
    // that the channels stay in step.
    const std::uint64_t whole = chunk.size / format->block * format->block;
    for (std::uint64_t done = 0; done < whole;) {
      piece.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kReadPiece, whole - done)));
      const std::size_t got = ReadSourceBytes(file, size_at_open, chunk.offset + done, piece);
      if (got != piece.size()) throw ConversionError("the sound data of " + source_.string() + " ends early");
      writer.Write(piece);
      done += got;
    }
    copied += whole;
    progress.SetPosition(BytesToTicks(copied, format->bytes_per_second));
  }
  writer.Close();
}

bool AudioExtractionJob::LockStored(JobProgress& progress) {
  if (!sound_.locked) return false;
  std::optional<DvSource> source;
  try {
    source.emplace(source_);
  } catch (const NothingToConvert&) {
    return false;  // not DV: no frames to lock to
  }
  if (stream_ >= source->Param().streams.size()) return false;
  const auto format = ReadPcmFormat(source->Param().streams[stream_].format);
  // Only a DV sound rate has the frames' counts to go by.
  if (!format || (format->sample_rate != 48000 && format->sample_rate != 44100 && format->sample_rate != 32000))
    return false;
  AviSoundFeed feed(*source, stream_, format->sample_rate, true);
  media::WavWriter writer(output_, media::PcmWaveFormat(static_cast<std::uint32_t>(format->sample_rate), 2, 16),
                          options_);
  const media::DvAudioRate rate = media::DvAudioRateOfHz(format->sample_rate);
  std::vector<std::int16_t> out;
  for (std::size_t k = 0; k < source->FrameCount() && !progress.StopRequested(); ++k) {
    const auto pcm = feed.Take(media::SamplesForFrame(source->System(), rate, k));
    writer.Write({reinterpret_cast<const std::uint8_t*>(pcm.data()), pcm.size_bytes()});
    progress.SetPosition(DvFramesTicks(source->System(), k + 1));
  }
  writer.Close();
  return true;
}

void AudioExtractionJob::DecodeDvFrames(JobProgress& progress) {
  const DvSource source(source_);
  const auto first = FirstAudioInfo(source);
  if (!first) throw ConversionError("the DV frames of " + source_.string() + " carry no sound");
  const int out_rate = first->sample_rate;
  // Channels 3-4 only where the recording has them.
  DvSoundLayout layout = sound_;
  if (layout.pairs == DvPairUse::kAllFour && first->pairs != 2) layout.pairs = DvPairUse::kFirstPair;
  DvSoundStream stream(source.System(), out_rate, layout);
  media::WavWriter writer(output_,
                          media::PcmWaveFormat(static_cast<std::uint32_t>(out_rate),
                                               static_cast<std::uint16_t>(stream.Channels()), 16),
                          options_);

  std::vector<std::uint8_t> frame;
  media::DvFrameSound sound(source.System(), out_rate);
  std::vector<std::int16_t> out;
  for (std::size_t k = 0; k < source.FrameCount() && !progress.StopRequested(); ++k) {
    const bool read = source.ReadFrame(k, frame);
    sound.Read(read ? std::span<const std::uint8_t>(frame) : std::span<const std::uint8_t>(), k);
    stream.Add(sound, k, out);
    writer.Write(BytesOf(out));
    out.clear();
    progress.SetPosition(DvFramesTicks(source.System(), k + 1));
  }
  stream.Finish(out);
  writer.Write(BytesOf(out));
  writer.Close();
}

void AudioExtractionJob::DecodeWithFfmpeg(JobProgress& progress) {
  const InputFormatPtr format = OpenMediaFile(source_);
  const int stream = KeepOnlyStream(*format, stream_, AVMEDIA_TYPE_AUDIO);
  if (stream < 0) throw ConversionError("FFmpeg finds no sound in " + source_.string());
  const AVStream& av_stream = *format->streams[stream];
  CodecContextPtr decoder;
  try {
    decoder = OpenDecoder(av_stream, 1);
  } catch (const NoDecoderError&) {
    throw ConversionError("no decoder for the sound of " + source_.string());
  } catch (const ConversionError&) {
    throw ConversionError("cannot open the sound decoder for " + source_.string());
  }
  const int channels = decoder->ch_layout.nb_channels;
  const int rate = decoder->sample_rate;
  if (channels < 1 || channels > 16 || rate < 1) throw ConversionError("the sound of " + source_.string() + " has no usable format");

  SwrContext* raw = nullptr;
  if (swr_alloc_set_opts2(&raw, &decoder->ch_layout, AV_SAMPLE_FMT_S16, rate, &decoder->ch_layout,
                          decoder->sample_fmt, rate, 0, nullptr) < 0)
    throw ConversionError("cannot convert the sound of " + source_.string());
  const SwrPtr swr(raw);
  if (swr_init(swr.get()) < 0) throw ConversionError("cannot convert the sound of " + source_.string());

  media::WavWriter writer(output_,
                          media::PcmWaveFormat(static_cast<std::uint32_t>(rate), static_cast<std::uint16_t>(channels), 16),
                          options_);

  const PacketPtr packet = AllocPacket();
  const FramePtr decoded = AllocFrame();
  std::vector<std::int16_t> pcm;
  const auto convert = [&](const AVFrame* in) {
    const int in_samples = in ? in->nb_samples : 0;
    const int room = swr_get_out_samples(swr.get(), in_samples);
    if (room <= 0) return;
    pcm.resize(static_cast<std::size_t>(room) * static_cast<std::size_t>(channels));
    auto* out_data = reinterpret_cast<std::uint8_t*>(pcm.data());
    const int got = swr_convert(swr.get(), &out_data, room,
                                in ? const_cast<const std::uint8_t**>(in->extended_data) : nullptr, in_samples);
    if (got < 0) throw ConversionError("sound conversion failed for " + source_.string());
    pcm.resize(static_cast<std::size_t>(got) * static_cast<std::size_t>(channels));
    writer.Write(BytesOf(pcm));
  };
  const auto drain = [&] {
    while (avcodec_receive_frame(decoder.get(), decoded.get()) == 0) {
      convert(decoded.get());
      if (decoded->pts != AV_NOPTS_VALUE)
        progress.SetPosition(av_rescale_q(decoded->pts, av_stream.time_base,
                                          AVRational{1, static_cast<int>(kTicksPerSecond)}));
      av_frame_unref(decoded.get());
    }
  };

  while (!progress.StopRequested() && av_read_frame(format.get(), packet.get()) >= 0) {
    if (packet->stream_index == stream && avcodec_send_packet(decoder.get(), packet.get()) >= 0) drain();
    av_packet_unref(packet.get());
  }
  avcodec_send_packet(decoder.get(), nullptr);
  drain();
  convert(nullptr);
  writer.Close();
}

}  // namespace korvid::graphs
