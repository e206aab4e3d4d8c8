#include "media/avi_stream_analysis.h"

#include <algorithm>
#include <array>
#include <exception>
#include <optional>
#include <span>
#include <system_error>
#include <vector>

#include "media/avi_frame_index.h"
#include "media/companion_files.h"
#include "media/dv_audio.h"
#include "media/dv_frame.h"
#include "media/dv_frame_facts.h"
#include "media/dv_pack_scan.h"
#include "media/le_bytes.h"
#include "resources/user_error.h"

namespace korvid::media {
namespace {

// Stream header (strh) fields.
constexpr std::size_t kStrhScale = 20;
constexpr std::size_t kStrhRate = 24;
constexpr std::size_t kStrhLength = 32;

// Minimum format blocks: BITMAPINFOHEADER, PCMWAVEFORMAT, DVINFO.
constexpr std::size_t kBitmapHeaderBytes = 40;
constexpr std::size_t kWaveFormatBytes = 16;
constexpr std::size_t kDvInfoBytes = 32;
constexpr std::size_t kDvInfoVideoSource = 16;

constexpr std::uint16_t kPcmTag = 1;
constexpr std::int64_t kPalFramePeriod = 400000;
constexpr std::int64_t kNtscFramePeriod = 333667;

std::uint32_t HeaderField(const TAvistream& stream, std::size_t offset) {
  return LoadLE32(stream.header.data() + offset);
}

// ticks x scale / rate seconds in 100-ns units, rounded. Split so that no
// product passes 64 bits for 32-bit scales and rates.
std::int64_t TicksToUnits(std::uint64_t ticks, std::uint64_t scale, std::uint64_t rate) {
  if (rate == 0) return 0;
  const std::uint64_t rest_scaled = (ticks % rate) * scale;
  const std::uint64_t seconds = (ticks / rate) * scale + rest_scaled / rate;
  const std::uint64_t fraction = ((rest_scaled % rate) * 10'000'000u + rate / 2) / rate;
  return static_cast<std::int64_t>(seconds * 10'000'000u + fraction);
}

// The stream's length in ticks: its chunk count when the index has chunks,
// since a header's length may be missing or cover only the first part.
std::uint64_t VideoFrameCount(const TAvistream& stream, const AviFrameIndex& index,
                              std::size_t number) {
  const std::size_t chunks = index.FramesOf(number).size();
  return chunks > 0 ? chunks : HeaderField(stream, kStrhLength);
}

// Whole periods as the frame-count text divides them back: an exact
// 30000/1001 length would fall short of the rounded period and lose a frame.
std::int64_t FramesDuration(std::uint64_t frames, std::int64_t frame_period) {
  if (frame_period <= 0 || frames > static_cast<std::uint64_t>(INT64_MAX / frame_period)) return 0;
  return static_cast<std::int64_t>(frames) * frame_period;
}

std::uint64_t TotalBytes(std::span<const FrameLocation> frames) {
  std::uint64_t total = 0;
  for (const FrameLocation& f : frames) total += f.size;
  return total;
}

std::uint32_t BitRate(std::uint64_t bytes, std::int64_t duration) {
  if (duration <= 0) return 0;
  const long double bits = static_cast<long double>(bytes) * 8.0L * 1e7L / static_cast<long double>(duration);
  return bits >= static_cast<long double>(UINT32_MAX) ? UINT32_MAX : static_cast<std::uint32_t>(bits + 0.5L);
}

std::optional<VideoFormatResult> BitmapVideo(const TAvistream& stream) {
  const std::span<const std::uint8_t> f = stream.format;
  if (f.size() < kBitmapHeaderBytes) return std::nullopt;
  VideoFormatResult video;
  video.width = static_cast<std::int32_t>(LoadLE32(f.data() + 4));
  video.height = static_cast<std::int32_t>(LoadLE32(f.data() + 8));
  video.frame_scale = HeaderField(stream, kStrhScale);
  video.frame_rate = HeaderField(stream, kStrhRate);
  video.frame_period = TicksToUnits(1, video.frame_scale, video.frame_rate);
  return video;
}

std::optional<AudioFormatResult> WaveAudio(const TAvistream& stream) {
  const std::span<const std::uint8_t> f = stream.format;
  if (f.size() < kWaveFormatBytes) return std::nullopt;
  AudioFormatResult audio;
  audio.format_tag = LoadLE16(f.data());
  audio.channels = LoadLE16(f.data() + 2);
  audio.sample_rate = LoadLE32(f.data() + 4);
  audio.average_bytes_per_second = LoadLE32(f.data() + 8);
  audio.block_align = LoadLE16(f.data() + 12);
  audio.bits_per_sample = LoadLE16(f.data() + 14);
  return audio;
}

std::int64_t AudioDuration(const TAvistream& stream, const AudioFormatResult& audio,
                           const AviFrameIndex& index, std::size_t number) {
  const std::span<const FrameLocation> chunks = index.FramesOf(number);
  if (!chunks.empty() && audio.average_bytes_per_second != 0)
    return TicksToUnits(TotalBytes(chunks), 1, audio.average_bytes_per_second);
  return TicksToUnits(HeaderField(stream, kStrhLength), HeaderField(stream, kStrhScale),
                      HeaderField(stream, kStrhRate));
}

std::uint32_t PackWord(const DvPack& pack) { return LoadLE32(pack.data() + 1); }

// The DV format block's VAUX source word; a writer that left it blank is
// helped by the frame's own source pack.
DvFormatResult DvFormat(const TAvistream& stream, const std::optional<DvPack>& frameVideoSource) {
  DvFormatResult dv;
  if (stream.format.size() >= kDvInfoBytes) dv.video_source = LoadLE32(stream.format.data() + kDvInfoVideoSource);
  if ((dv.video_source == 0 || dv.video_source == 0xFFFFFFFF) && frameVideoSource)
    dv.video_source = PackWord(*frameVideoSource);
  return dv;
}

// What a DV splitter gives for the picture of a frame of this system.
VideoFormatResult DvPicture(DvSystem system) {
  VideoFormatResult video;
  video.width = 720;
  const bool pal = system == DvSystem::k625_50;
  video.height = pal ? 576 : 480;
  video.frame_period = pal ? kPalFramePeriod : kNtscFramePeriod;
  video.frame_scale = pal ? 1 : 1001;
  video.frame_rate = pal ? 25 : 30000;
  const std::uint64_t bits = FrameBytes(system) * 8u;
  video.bit_rate = pal ? static_cast<std::uint32_t>(bits * 25u)
                       : static_cast<std::uint32_t>((bits * 30000u + 500u) / 1001u);
  return video;
}

// And for its sound: 16-bit PCM, one stereo pair, whatever the tape holds.
std::optional<AudioFormatResult> DvSound(const std::optional<DvAudioInfo>& sound) {
  if (!sound) return std::nullopt;
  const DvAudioInfo& info = *sound;
  AudioFormatResult audio;
  audio.format_tag = kPcmTag;
  audio.channels = static_cast<std::uint16_t>(std::min(info.channels, 2));
  audio.sample_rate = static_cast<std::uint32_t>(info.sample_rate);
  audio.bits_per_sample = 16;
  audio.block_align = static_cast<std::uint16_t>(audio.channels * 2u);
  audio.average_bytes_per_second = audio.sample_rate * audio.block_align;
  return audio;
}

void AnalyseInterleaved(const TAvistream& stream, const std::optional<FileFirstFacts>& first,
                        std::uint64_t frames, StreamAnalysis& out) {
  out.dv = DvFormat(stream, first ? first->videoSource : std::nullopt);
  if (!first || !first->facts.system) return;
  out.video = DvPicture(*first->facts.system);
  out.video_frames = frames;
  out.video_duration = FramesDuration(frames, out.video->frame_period);
  out.audio_duration = out.video_duration;
  if (!out.audio) out.audio = DvSound(first->facts.sound);
}

void DecodeFirstFrame(const std::optional<FileFirstFacts>& first, StreamAnalysis& out) {
  if (!first) return;
  out.first_timecode = first->facts.timecode;
  out.first_datecode = first->facts.datecode;
  out.first_wide = first->facts.wide;
  if (first->facts.sound) out.first_sound_bits = first->facts.sound->bits;
}

StreamAnalysis Analyse(const BinaryFile& file, const TAviParam& param, const AviFrameIndex& index) {
  StreamAnalysis out;
  out.stream_count = static_cast<std::int32_t>(param.streams.size());

  std::optional<FileFirstFacts> first;
  if (const std::optional<std::size_t> dv_stream = FindDvVideoStream(param))
    first = ReadFileFirstFacts(file, index, *dv_stream);
  DecodeFirstFrame(first, out);

  for (std::size_t s = 0; s < param.streams.size(); ++s) {
    const TAvistream& stream = param.streams[s];
    const std::uint32_t type = stream.FccType();
    if (type == FourCC("vids") && !out.video) {
      out.video = BitmapVideo(stream);
      if (!out.video) continue;
      out.video_frames = VideoFrameCount(stream, index, s);
      out.video_duration = FramesDuration(out.video_frames, out.video->frame_period);
      out.video->bit_rate = BitRate(TotalBytes(index.FramesOf(s)), out.video_duration);
    } else if (type == FourCC("auds") && !out.audio) {
      out.audio = WaveAudio(stream);
      if (out.audio) out.audio_duration = AudioDuration(stream, *out.audio, index, s);
    } else if (type == FourCC("iavs") && !out.dv) {
      // Only the first iavs stream is the one whose frame was read.
      AnalyseInterleaved(stream, first, VideoFrameCount(stream, index, s), out);
    }
  }
  out.succeeded = true;
  return out;
}

// Nothing when the file cannot be read: its analysis then fails.
std::optional<AviFrameIndex> LoadIndex(const BinaryFile& file, const TAviParam& param) {
  try {
    return AviFrameIndex::Load(file, param);
  } catch (const UserError&) {
    return std::nullopt;
  }
}

// A read error while counting the sound leaves the rest of the record be.
std::optional<DvSoundDrift> ReadDrift(const BinaryFile& file, const TAviParam& param, const AviFrameIndex& index) {
  const std::optional<std::size_t> stream = FindDvVideoStream(param);
  if (!stream) return std::nullopt;
  try {
    return ReadDvSoundDrift(file, index, *stream);
  } catch (const UserError&) {
    return std::nullopt;
  }
}

// A read error while analysing gives the failed analysis.
StreamAnalysis AnalyseWithIndex(const BinaryFile& file, const TAviParam& param, const AviFrameIndex& index) {
  try {
    return Analyse(file, param, index);
  } catch (const UserError&) {
    return StreamAnalysis{};
  }
}

// `drift` is read when given.
TAfficherFichier AnalyseRecord(const std::filesystem::path& path, const DatecodeFormat& format,
                               std::optional<DvSoundDrift>* drift) {
  if (drift != nullptr) drift->reset();
  TAfficherFichier record;
  SetNameFields(path, record);
  SetFileFacts(record);
  std::error_code error;
  record.hasSceneFile =
      std::filesystem::exists(CompanionPath(record.fullName, ".scn"), error);

  AviVerdict verdict = AviVerdict::kReadError;
  std::string codec;
  StreamAnalysis analysis;
  try {
    const BinaryFile file(record.fullName, BinaryFile::Mode::kRead);
    const TFriendlyAviParam param(file);
    verdict = param.valid ? AviVerdict::kValid : AviVerdict::kNotAvi;
    if (param.valid) {
      codec = param.CodecFourCC();
      const std::optional<AviFrameIndex> index = LoadIndex(file, param);
      if (index) analysis = AnalyseWithIndex(file, param, *index);
      if (drift != nullptr && index && record.exists && IsDvCodec(codec))
        *drift = ReadDrift(file, param, *index);
    }
  } catch (const UserError&) {
    verdict = AviVerdict::kReadError;
    analysis = StreamAnalysis{};
  }
  FillAnalysisFields(verdict, codec, analysis, format, record);
  return record;
}

}  // namespace

StreamAnalysis AnalyseAviStreams(const BinaryFile& file, const TAviParam& param) {
  const std::optional<AviFrameIndex> index = LoadIndex(file, param);
  return index ? AnalyseWithIndex(file, param, *index) : StreamAnalysis{};
}

TAfficherFichier AnalyseFile(const std::filesystem::path& path, const DatecodeFormat& format) {
  return AnalyseRecord(path, format, nullptr);
}

TAfficherFichier AnalyseFileAndDrift(const std::filesystem::path& path, const DatecodeFormat& format,
                                     std::optional<DvSoundDrift>& drift) {
  return AnalyseRecord(path, format, &drift);
}

}  // namespace korvid::media
