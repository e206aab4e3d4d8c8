#include "sample_clip.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numbers>
#include <stdexcept>

#include "media/avi_stream.h"
#include "media/avi_writer.h"
#include "media/dv_audio.h"
#include "media/dv_audio_encoder.h"
#include "media/dv_audio_sample_count.h"
#include "media/dv_pack_writer.h"
#include "graphs/dv_video_encoder.h"
#include "graphs/ffmpeg_ptr.h"
#include "media/le_bytes.h"
#include "test_pattern.h"

namespace korvid::samples {
namespace {

using media::DvSystem;

std::int64_t ElapsedSeconds(DvSystem system, int index) {
  return system == DvSystem::k625_50 ? index / 25 : static_cast<std::int64_t>(index) * 1001 / 30000;
}

media::TDatecode AddSeconds(const media::TDatecode& dc, std::int64_t seconds) {
  using namespace std::chrono;
  const sys_days date = year_month_day{year{dc.year}, month{dc.month}, day{dc.day}};
  const sys_seconds moment = date + hours{dc.hour} + minutes{dc.minute} + std::chrono::seconds{dc.second} +
                             std::chrono::seconds{seconds};
  const sys_days moment_day = floor<days>(moment);
  const year_month_day ymd{moment_day};
  const hh_mm_ss clock{moment - moment_day};
  return {static_cast<int>(ymd.year()), static_cast<std::uint8_t>(static_cast<unsigned>(ymd.month())),
          static_cast<std::uint8_t>(static_cast<unsigned>(ymd.day())),
          static_cast<std::uint8_t>(clock.hours().count()), static_cast<std::uint8_t>(clock.minutes().count()),
          static_cast<std::uint8_t>(clock.seconds().count())};
}

// One tone per channel, so a swapped or shifted channel shows in a comparison.
std::int16_t ToneSample(int channel, std::uint64_t n, int rate) {
  static constexpr double kFrequencies[4] = {440.0, 660.0, 880.0, 330.0};
  const double phase = 2.0 * std::numbers::pi * kFrequencies[channel % 4] * static_cast<double>(n) / rate;
  return static_cast<std::int16_t>(std::lround(8000.0 * std::sin(phase)));
}

std::vector<std::int16_t> TonePair(int pair, std::uint64_t first_sample, std::size_t count, int rate) {
  std::vector<std::int16_t> pcm(count * 2);
  for (std::size_t i = 0; i < count; ++i) {
    pcm[2 * i] = ToneSample(2 * pair, first_sample + i, rate);
    pcm[2 * i + 1] = ToneSample(2 * pair + 1, first_sample + i, rate);
  }
  return pcm;
}

// Channels 3-4 click at half the level, so that the pairs can be told apart.
std::vector<std::int16_t> ClickPair(int pair, bool click, std::size_t count) {
  std::vector<std::int16_t> pcm(count * 2, 0);
  const auto level = static_cast<std::int16_t>(kClickLevel >> pair);
  if (click) std::fill_n(pcm.begin(), std::min(2 * kClickSamples, pcm.size()), level);
  return pcm;
}

std::span<const std::uint8_t> AsBytes(const std::vector<std::int16_t>& pcm) {
  // PCM in AVI is little-endian; so is every machine this runs on.
  return {reinterpret_cast<const std::uint8_t*>(pcm.data()), pcm.size() * sizeof(std::int16_t)};
}

media::AviWriter OpenDvWriter(const std::filesystem::path& path, const DvClipSpec& spec) {
  const media::AviVideoFormat video{spec.system, spec.wide};
  if (spec.dv_type == 1) return media::AviWriter::CreateType1(path, video);
  const int rate = media::SampleRateHz(media::RateOf(spec.audio));
  std::vector<media::AviAudioFormat> pairs(static_cast<std::size_t>(media::PairsOf(spec.audio)),
                                           media::AviAudioFormat{static_cast<std::uint32_t>(rate), 2, 16});
  return media::AviWriter::CreateType2(path, video, pairs);
}

void StampPacks(std::span<std::uint8_t> frame, const DvClipSpec& spec, int index) {
  // FFmpeg's encoder scatters copies of its own VAUX packs; a camcorder keeps
  // one set per sequence, and some readers lose the date among the extras.
  media::ErasePacks(frame, media::kVideoSourcePack);
  media::ErasePacks(frame, media::kVideoControlPack);
  media::WriteVideoSource(frame, spec.system);
  media::WriteWideScreen(frame, spec.wide);
  media::WriteTimecode(frame, TimecodeOfFrame(spec, index));
  const media::TDatecode dc = DatecodeOfFrame(spec, index);
  if (media::HasDatecode(dc)) {
    media::WriteDatecode(frame, dc);
  } else {
    media::ClearDatecode(frame);
  }
}

}  // namespace

bool IsClickFrame(DvSystem system, int index) {
  if (index < 0) return false;
  if (system == DvSystem::k625_50) return index % 25 == 0;
  // Frame k starts at k * 1001 / 30000 s: it is the first of a second when
  // the frame before it started in the second before.
  const auto second_of = [](std::int64_t k) { return (k * 1001 + 29999) / 30000; };
  return index == 0 || second_of(index) != second_of(index - 1);
}

media::TDatecode DatecodeOfFrame(const DvClipSpec& spec, int index) {
  if (!media::HasDatecode(spec.start)) return {};
  if (index >= spec.undated_from && index < spec.undated_to) return {};
  std::int64_t seconds = ElapsedSeconds(spec.system, index);
  if (spec.jump_frame >= 0 && index >= spec.jump_frame) seconds += std::int64_t{3600} * spec.jump_hours;
  for (const ClockJump& jump : spec.jumps)
    if (index >= jump.frame) seconds += jump.seconds;
  return AddSeconds(spec.start, seconds);
}

media::TTimecode TimecodeOfFrame(const DvClipSpec& spec, int index) {
  if (!media::HasTimecode(spec.start_timecode)) return {};
  const int fps = spec.system == DvSystem::k625_50 ? 25 : 30;
  const auto& s = spec.start_timecode;
  const std::int64_t total = ((static_cast<std::int64_t>(s.hours) * 60 + s.minutes) * 60 + s.seconds) * fps +
                             s.frames + index;
  const std::int64_t secs = total / fps;
  return {static_cast<std::uint8_t>((secs / 3600) % 24), static_cast<std::uint8_t>((secs / 60) % 60),
          static_cast<std::uint8_t>(secs % 60), static_cast<std::uint8_t>(total % fps)};
}

void WriteDvClip(const std::filesystem::path& path, const DvClipSpec& spec) {
  if (spec.dv_type != 1 && spec.dv_type != 2) throw std::invalid_argument("DV type must be 1 or 2");
  graphs::DvVideoEncoder encoder(spec.system, spec.wide);
  graphs::FramePtr picture = encoder.NewPicture();
  media::AviWriter writer = OpenDvWriter(path, spec);
  const media::DvAudioRate rate = media::RateOf(spec.audio);
  const int rate_hz = media::SampleRateHz(rate);
  const bool four_channels = media::PairsOf(spec.audio) == 2;
  media::DvSampleCountSequencer counts(spec.system, rate);
  std::uint64_t unlocked_done = 0;
  std::vector<std::vector<std::uint8_t>> encoded;  // the repeated pictures of a long clip
  media::DvAudioFrame sound;

  for (int i = 0; i < spec.frames; ++i) {
    std::vector<std::uint8_t> frame;
    if (spec.distinct_pictures > 0 && static_cast<int>(encoded.size()) == spec.distinct_pictures) {
      frame = encoded[static_cast<std::size_t>(i % spec.distinct_pictures)];
    } else {
      if (av_frame_make_writable(picture.get()) < 0) throw graphs::MediaError("picture buffer is busy");
      PaintTestPattern(*picture, i);
      frame = encoder.Encode(*picture);
      if (spec.distinct_pictures > 0) encoded.push_back(frame);
    }
    StampPacks(frame, spec, i);
    if (spec.retouch) spec.retouch(i, frame);

    const bool locked = spec.unlocked_counts.empty();
    const std::uint64_t first = locked ? counts.SamplesDone() : unlocked_done;
    const std::size_t n = locked ? counts.Next()
                                 : spec.unlocked_counts[static_cast<std::size_t>(i) % spec.unlocked_counts.size()];
    unlocked_done += n;
    const bool click = spec.clicks && IsClickFrame(spec.system, i);
    const auto pair_of = [&](int p) {
      return spec.clicks ? ClickPair(p, click, n) : TonePair(p, first, n, rate_hz);
    };
    const std::vector<std::int16_t> pair0 = pair_of(0);
    const std::vector<std::int16_t> pair1 = four_channels ? pair_of(1) : std::vector<std::int16_t>{};
    media::EncodeDvAudio(frame, spec.audio, pair0, pair1, locked);
    writer.WriteVideoFrame(frame);

    if (spec.dv_type == 2) {
      // The separate streams carry exactly what the frame carries, 12-bit
      // sound included, as a capture program would deliver it.
      media::DecodeDvAudio(frame, sound);
      for (int p = 0; p < media::PairsOf(spec.audio); ++p)
        writer.WriteAudio(static_cast<std::size_t>(p), AsBytes(sound.pcm[static_cast<std::size_t>(p)]));
    }
  }
  writer.Close();
}

void WriteMjpegClip(const std::filesystem::path& path, int frames) {
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MJPEG);
  if (codec == nullptr) throw graphs::MediaError("this FFmpeg has no Motion JPEG encoder");
  graphs::CodecContextPtr context(avcodec_alloc_context3(codec));
  if (!context) throw graphs::MediaError("out of memory for the Motion JPEG encoder");
  constexpr int kWidth = 320, kHeight = 240, kRate = 25, kAudioRate = 48000;
  context->width = kWidth;
  context->height = kHeight;
  context->pix_fmt = AV_PIX_FMT_YUVJ420P;
  context->time_base = {1, kRate};
  if (const int rc = avcodec_open2(context.get(), codec, nullptr); rc < 0)
    throw graphs::MediaError("cannot open the Motion JPEG encoder: " + graphs::AvErrorText(rc));

  graphs::FramePtr picture = graphs::AllocFrame();
  picture->width = kWidth;
  picture->height = kHeight;
  picture->format = AV_PIX_FMT_YUVJ420P;
  if (av_frame_get_buffer(picture.get(), 0) < 0) throw graphs::MediaError("out of memory for a picture");
  graphs::PacketPtr packet = graphs::AllocPacket();

  std::vector<media::AviStream> streams;
  streams.push_back(media::VideoStream(media::FourCC("MJPG"), kWidth, kHeight, 24, {kRate, 1},
                                       kWidth * kHeight * 3));
  streams.push_back(media::PcmAudioStream({kAudioRate, 2, 16}));
  media::AviWriter writer = media::AviWriter::Create(path, std::move(streams));
  for (int i = 0; i < frames; ++i) {
    if (av_frame_make_writable(picture.get()) < 0) throw graphs::MediaError("picture buffer is busy");
    PaintTestPattern(*picture, i);
    picture->pts = i;
    if (avcodec_send_frame(context.get(), picture.get()) < 0 ||
        avcodec_receive_packet(context.get(), packet.get()) < 0)
      throw graphs::MediaError("the Motion JPEG encoder failed");
    writer.WriteChunk(0, {packet->data, static_cast<std::size_t>(packet->size)});
    av_packet_unref(packet.get());
    const std::size_t per_frame = kAudioRate / kRate;
    writer.WriteAudio(0, AsBytes(TonePair(0, static_cast<std::uint64_t>(i) * per_frame, per_frame, kAudioRate)));
  }
  writer.Close();
}

void WriteAudioOnlyClip(const std::filesystem::path& path, double seconds) {
  constexpr std::uint32_t kRate = 48000;
  std::vector<media::AviStream> streams;
  streams.push_back(media::PcmAudioStream({kRate, 2, 16}));
  media::AviWriter writer = media::AviWriter::Create(path, std::move(streams));
  const auto total = static_cast<std::uint64_t>(seconds * kRate);
  for (std::uint64_t done = 0; done < total;) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kRate / 10, total - done));
    writer.WriteAudio(0, AsBytes(TonePair(0, done, n, kRate)));
    done += n;
  }
  writer.Close();
}

std::vector<DvClipSpec> StandardDvClips() {
  using media::DvAudioMode;
  std::vector<DvClipSpec> clips;
  DvClipSpec pal1;
  pal1.file_name = "pal_type1.avi";
  pal1.dv_type = 1;
  pal1.start_timecode = {1, 2, 3, 4};
  clips.push_back(pal1);

  DvClipSpec pal2 = pal1;
  pal2.file_name = "pal_type2.avi";
  pal2.dv_type = 2;
  clips.push_back(pal2);

  DvClipSpec ntsc2;
  ntsc2.file_name = "ntsc_type2.avi";
  ntsc2.system = DvSystem::k525_60;
  ntsc2.frames = 60;
  ntsc2.start = {2003, 12, 31, 23, 59, 58};
  ntsc2.start_timecode = {0, 10, 0, 0};
  clips.push_back(ntsc2);

  DvClipSpec wide;
  wide.file_name = "pal_wide.avi";
  wide.wide = true;
  wide.start = {2010, 2, 16, 21, 36, 28};
  clips.push_back(wide);

  DvClipSpec scenes;
  scenes.file_name = "two_scenes.avi";
  scenes.dv_type = 1;
  scenes.frames = 75;
  scenes.jump_frame = 40;
  scenes.jump_hours = 3;
  clips.push_back(scenes);

  DvClipSpec undated = scenes;
  undated.file_name = "undated_stretch.avi";
  undated.jump_frame = -1;
  undated.undated_from = 20;
  undated.undated_to = 45;
  clips.push_back(undated);

  DvClipSpec none;
  none.file_name = "no_datecode.avi";
  none.start = {};
  none.start_timecode = {};
  clips.push_back(none);

  DvClipSpec sound12;
  sound12.file_name = "pal_32k_12bit.avi";
  sound12.dv_type = 1;
  sound12.audio = DvAudioMode::k32k12Bit4Ch;
  sound12.start = {1999, 7, 4, 9, 30, 0};
  clips.push_back(sound12);
  return clips;
}

std::vector<std::filesystem::path> WriteStandardSamples(const std::filesystem::path& dir) {
  std::filesystem::create_directories(dir);
  std::vector<std::filesystem::path> written;
  for (const DvClipSpec& spec : StandardDvClips()) {
    WriteDvClip(dir / spec.file_name, spec);
    written.push_back(dir / spec.file_name);
  }
  WriteMjpegClip(dir / kMjpegClipName, 25);
  written.push_back(dir / kMjpegClipName);
  WriteAudioOnlyClip(dir / kAudioOnlyClipName, 1.0);
  written.push_back(dir / kAudioOnlyClipName);
  return written;
}

}  // namespace korvid::samples
