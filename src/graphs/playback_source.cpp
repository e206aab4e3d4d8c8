#include "graphs/playback_source.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "graphs/ffmpeg_input.h"
#include "media/dv_frame_facts.h"
#include "media/le_bytes.h"

extern "C" {
#include <libavutil/rational.h>
}

namespace korvid::graphs {

namespace {

constexpr FrameRate kSoundStretchRate{25, 1};  // 40 ms

media::BinaryFile OpenReadable(const std::filesystem::path& path) {
  try {
    return media::BinaryFile(path, media::BinaryFile::Mode::kRead);
  } catch (const media::FileError& error) {
    throw PlaybackError(PlaybackStage::kUnreadable, error.what());
  }
}

media::TFriendlyAviParam WalkHeaders(const media::BinaryFile& file) {
  try {
    return media::TFriendlyAviParam(file);
  } catch (const media::FileError& error) {
    throw PlaybackError(PlaybackStage::kUnreadable, error.what());
  }
}

DisplayAspect AspectOf(const AVFrame& picture) {
  AVRational sample = picture.sample_aspect_ratio;
  if (sample.num <= 0 || sample.den <= 0) sample = {1, 1};
  int num = 0;
  int den = 0;
  av_reduce(&num, &den, static_cast<std::int64_t>(picture.width) * sample.num,
            static_cast<std::int64_t>(picture.height) * sample.den, 1 << 16);
  if (num <= 0 || den <= 0) return {};
  return {num, den};
}

}  // namespace

PlaybackSource::PlaybackSource(const std::filesystem::path& path)
    : path_(path), file_(OpenReadable(path)), param_(WalkHeaders(file_)) {
  if (!param_.valid) throw PlaybackError(PlaybackStage::kNotAvi, path.string() + " is not an AVI file");
  try {
    index_ = media::AviFrameIndex::Load(file_, param_);
  } catch (const media::FileError& error) {
    throw PlaybackError(PlaybackStage::kUnreadable, error.what());
  }
  for (std::size_t s = 0; s < param_.streams.size() && !video_stream_; ++s)
    if (param_.streams[s].IsVideo()) video_stream_ = s;
  if (video_stream_) {
    OpenDv();
    if (!IsDv()) OpenOtherVideo();
    frame_count_ = static_cast<std::int64_t>(index_.FramesOf(*video_stream_).size());
    if (IsDv()) DropCutLastFrames();
  }
  OpenSound();
  if (!HasVideo() && !HasSound())
    throw PlaybackError(PlaybackStage::kNotAvi, path.string() + " has neither picture nor sound to play");
}

void PlaybackSource::OpenDv() {
  try {
    if (!media::FindFirstUsableFrame(file_, index_, *video_stream_, frame_bytes_)) return;
  } catch (const media::FileError& error) {
    throw PlaybackError(PlaybackStage::kUnreadable, error.what());
  }
  dv_system_ = media::DetectDvSystem(frame_bytes_);
  dv_sound_reader_.emplace(*dv_system_, 48000);
  rate_ = *dv_system_ == media::DvSystem::k625_50 ? FrameRate{25, 1} : FrameRate{30000, 1001};
  dv_sound_ = param_.streams[*video_stream_].FccType() == media::FourCC("iavs");
  try {
    dv_decoder_.emplace();
  } catch (const MediaError& error) {
    throw PlaybackError(PlaybackStage::kNoDecoder, error.what());
  }
}

void PlaybackSource::DropCutLastFrames() {
  // A file cut short (a capture that stopped, a copy that failed) ends in
  // a frame only partly there: the last position is the last whole frame.
  const auto frames = index_.FramesOf(*video_stream_);
  const std::uint64_t file_size = file_.Size();
  const std::size_t bytes = media::FrameBytes(*dv_system_);
  while (frame_count_ > 1) {
    const media::FrameLocation& last = frames[static_cast<std::size_t>(frame_count_ - 1)];
    if (last.size >= bytes || last.offset + last.size < file_size) break;
    --frame_count_;
  }
}

void PlaybackSource::OpenOtherVideo() {
  const auto& header = param_.streams[*video_stream_].header;
  const std::uint32_t scale = media::LoadLE32(header.data() + 20);
  const std::uint32_t rate = media::LoadLE32(header.data() + 24);
  if (scale > 0 && rate > 0) rate_ = {rate, scale};
  try {
    other_video_.emplace(path_, *video_stream_);
  } catch (const NoDecoderError&) {
    throw PlaybackError(PlaybackStage::kNoDecoder,
                        "no decoder for the codec " + param_.CodecFourCC() + " of " + path_.string());
  } catch (const ConversionError& error) {
    throw PlaybackError(PlaybackStage::kNotAvi, error.what());
  }
}

void PlaybackSource::OpenSound() {
  if (dv_sound_) return;
  std::optional<std::size_t> stream;
  for (std::size_t s = 0; s < param_.streams.size() && !stream; ++s)
    if (param_.streams[s].FccType() == media::FourCC("auds")) stream = s;
  if (!stream) return;
  bool undecodable = false;
  if (ReadPcmFormat(param_.streams[*stream].format)) {
    pcm_.emplace(file_, param_, index_, *stream);
  } else {
    try {
      decoded_sound_.emplace(path_, *stream);
    } catch (const ConversionError&) {
      // The picture plays without its sound.
      undecodable = true;
    }
  }
  if (HasVideo()) return;
  if (undecodable)
    throw PlaybackError(PlaybackStage::kNoDecoder, "no decoder for the sound of " + path_.string());
  rate_ = kSoundStretchRate;
  const int sample_rate = pcm_ ? pcm_->SampleRate() : decoded_sound_->SampleRate();
  const std::uint64_t samples = pcm_ ? pcm_->TotalFrames() : decoded_sound_->TotalFrames();
  const std::uint64_t per_stretch = SoundStartOf(1, sample_rate);
  frame_count_ = static_cast<std::int64_t>((samples + per_stretch - 1) / per_stretch);
}

std::int64_t PlaybackSource::TimeMsOf(std::int64_t k) const { return k * 1000 * rate_.den / rate_.num; }

std::uint64_t PlaybackSource::SoundStartOf(std::int64_t k, int sample_rate) const {
  return static_cast<std::uint64_t>(k) * static_cast<std::uint64_t>(sample_rate) * static_cast<std::uint64_t>(rate_.den) /
         static_cast<std::uint64_t>(rate_.num);
}

PlaybackFrame PlaybackSource::Read(std::int64_t k) {
  if (k < 0 || k >= frame_count_) throw std::out_of_range("the file has no frame " + std::to_string(k));
  PlaybackFrame out;
  out.number = k;
  out.time_ms = TimeMsOf(k);
  if (IsDv())
    ReadDvFrame(k, out);
  else if (HasVideo())
    ReadOtherPicture(k, out);
  if (pcm_ || decoded_sound_) ReadStreamSound(k, out);
  return out;
}

void PlaybackSource::ReadDvFrame(std::int64_t k, PlaybackFrame& out) {
  const std::size_t bytes = media::FrameBytes(*dv_system_);
  const media::FrameLocation where = index_.FramesOf(*video_stream_)[static_cast<std::size_t>(k)];
  frame_bytes_.resize(bytes);
  const bool whole = where.size == bytes && file_.ReadExactAt(where.offset, frame_bytes_) &&
                     media::DetectDvSystem(frame_bytes_) == dv_system_;
  if (whole) {
    const media::DvFrameFacts facts = media::ReadDvFrameFacts(frame_bytes_);
    FramePacks packs;
    packs.timecode = facts.timecode;
    packs.datecode = facts.datecode;
    packs.wide = facts.wide;
    out.packs = packs;
    out.aspect = packs.wide ? DisplayAspect{16, 9} : DisplayAspect{4, 3};
    if (dv_decoder_->Decode(frame_bytes_, picture_)) out.picture = converter_.ToImage(*picture_);
  }
  if (!dv_sound_) return;
  out.sound.channels = 2;
  dv_sound_reader_->Read(whole ? std::span<const std::uint8_t>(frame_bytes_) : std::span<const std::uint8_t>(),
                         static_cast<std::uint64_t>(k));
  const std::span<const std::int16_t> samples = dv_sound_reader_->Pair(0);
  out.sound.sample_rate = dv_sound_reader_->Rate();
  out.sound.samples.assign(samples.begin(), samples.end());
}

void PlaybackSource::ReadOtherPicture(std::int64_t k, PlaybackFrame& out) {
  const AVFrame* picture = other_video_->Picture(k);
  if (picture == nullptr) return;
  out.picture = converter_.ToImage(*picture);
  out.aspect = AspectOf(*picture);
}

void PlaybackSource::ReadStreamSound(std::int64_t k, PlaybackFrame& out) {
  const int rate = pcm_ ? pcm_->SampleRate() : decoded_sound_->SampleRate();
  const std::uint64_t start = SoundStartOf(k, rate);
  const std::uint64_t end = SoundStartOf(k + 1, rate);
  out.sound.sample_rate = rate;
  if (decoded_sound_) {
    out.sound.channels = decoded_sound_->Channels();
    decoded_sound_->Read(start, static_cast<std::size_t>(end - start), out.sound.samples);
    return;
  }
  if (pcm_->Position() != start) pcm_->Seek(start);
  out.sound.channels = 2;
  pcm_->Read(static_cast<std::size_t>(end - start), out.sound.samples);
}

}  // namespace korvid::graphs
