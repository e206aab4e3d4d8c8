#include "graphs/dv_type_jobs.h"

#include <algorithm>
#include <array>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "graphs/avi_pcm_reader.h"
#include "graphs/pcm_rate_converter.h"
#include "graphs/sound_feed.h"
#include "media/avi_writer.h"
#include "media/dv_audio_encoder.h"
#include "media/dv_audio_sample_count.h"
#include "media/dv_frame_facts.h"
#include "media/dv_frame_sound.h"

namespace korvid::graphs {

namespace {

std::span<const std::uint8_t> AsBytes(std::span<const std::int16_t> pcm) {
  return {reinterpret_cast<const std::uint8_t*>(pcm.data()), pcm.size_bytes()};
}

// The sound mode for a source whose frames carry no readable sound.
media::DvAudioMode ModeForRate(int hz) {
  switch (media::DvAudioRateOfHz(hz)) {
    case media::DvAudioRate::k44100: return media::DvAudioMode::k44k16Bit2Ch;
    case media::DvAudioRate::k32000: return media::DvAudioMode::k32k16Bit2Ch;
    default: return media::DvAudioMode::k48k16Bit2Ch;
  }
}

bool SameSamples(std::span<const std::int16_t> carried, std::span<const std::int16_t> wanted) {
  return std::equal(carried.begin(), carried.end(), wanted.begin(), wanted.end());
}

// Whether the frames' own sound, at the stream's rate, and `stream` differ
// in length by half a frame or more. Only the pack area of each frame is read.
bool StreamMisfitsFrames(const DvSource& source, std::size_t stream, int rate) {
  const media::TAviParam& param = source.Param();
  const AviPcmReader reader(source.File(), param, source.Index(), stream);
  if (reader.SampleRate() != rate) return false;
  const media::DvSystem system = source.System();
  const media::DvAudioRate code = media::DvAudioRateOfHz(rate);
  // Sequence 0 up to its fourth audio block, where the source pack lies.
  std::vector<std::uint8_t> head(media::DifBlockOffset(0, media::AudioBlockIndex(3)) + media::kDifBlockBytes);
  std::uint64_t frames_total = 0;
  for (std::size_t k = 0; k < source.FrameCount(); ++k) {
    const std::size_t got = source.ReadFrameHead(k, head);
    const auto sound = media::ReadDvFrameFacts(std::span<const std::uint8_t>(head).first(got)).sound;
    frames_total += sound && sound->sample_rate == rate ? sound->samples : media::SamplesForFrame(system, code, k);
  }
  const std::uint64_t stream_total = reader.TotalFrames();
  const std::uint64_t gap = stream_total > frames_total ? stream_total - frames_total : frames_total - stream_total;
  return gap >= media::SampleLimits(system, code).min / 2;
}

}  // namespace

media::DvAudioMode AudioModeOf(const media::DvAudioInfo& info) {
  if (info.bits == 12) return media::DvAudioMode::k32k12Bit4Ch;
  return ModeForRate(info.sample_rate);
}

std::int64_t DvFramesTicks(media::DvSystem system, std::uint64_t frames) {
  const media::FrameRate rate = media::DvFrameRate(system);
  return FramesToTicks(frames, rate.rate, rate.scale);
}

Type1To2Job::Type1To2Job(const std::filesystem::path& source, std::filesystem::path output)
    : source_(source), output_(std::move(output)) {}

std::int64_t Type1To2Job::Duration() const { return DvFramesTicks(source_.System(), source_.FrameCount()); }

void Type1To2Job::Run(JobProgress& progress) {
  const media::DvSystem system = source_.System();
  const auto first = FirstAudioInfo(source_);
  const int out_rate = first ? first->sample_rate : 0;
  const std::size_t pairs = first ? static_cast<std::size_t>(first->pairs) : 0;
  const std::vector<media::AviAudioFormat> formats(pairs, {static_cast<std::uint32_t>(out_rate), 2, 16});
  media::AviWriter writer =
      media::AviWriter::CreateType2(output_, {system, source_.Wide()}, formats, {.source = source_.File().Path()});

  std::vector<PcmRateConverter> converters;
  for (std::size_t p = 0; p < pairs; ++p) converters.emplace_back(out_rate, 2);
  std::array<std::vector<std::int16_t>, 2> chunks;
  DvFrameSequence sequence(source_);
  std::vector<std::uint8_t> frame;
  media::DvFrameSound sound(system, out_rate);

  for (std::size_t k = 0; k < source_.FrameCount() && !progress.StopRequested(); ++k) {
    bool damaged = false;
    if (!sequence.Read(k, frame, damaged)) continue;
    if (pairs > 0) sound.Read(damaged ? std::span<const std::uint8_t>() : std::span<const std::uint8_t>(frame), k);
    writer.WriteVideoFrame(frame);
    for (std::size_t p = 0; p < pairs; ++p) {
      chunks[p].clear();
      converters[p].Convert(sound.Pair(p), sound.Rate(), chunks[p]);
      if (!chunks[p].empty()) writer.WriteAudio(p, AsBytes(chunks[p]));
    }
    progress.SetPosition(DvFramesTicks(system, k + 1));
  }
  for (std::size_t p = 0; p < pairs; ++p) {
    chunks[p].clear();
    converters[p].Flush(chunks[p]);
    if (!chunks[p].empty()) writer.WriteAudio(p, AsBytes(chunks[p]));
  }
  writer.Close();
}

Type2To1Job::Type2To1Job(const std::filesystem::path& source, std::filesystem::path output)
    : source_(source), output_(std::move(output)) {}

std::int64_t Type2To1Job::Duration() const { return DvFramesTicks(source_.System(), source_.FrameCount()); }

void Type2To1Job::Run(JobProgress& progress) {
  const media::DvSystem system = source_.System();
  const auto& streams = source_.AudioStreams();
  const auto first = FirstAudioInfo(source_);
  std::vector<std::unique_ptr<AviSoundFeed>> feeds;
  media::DvAudioMode mode = media::DvAudioMode::k48k16Bit2Ch;
  if (!streams.empty()) {
    if (first) {
      mode = AudioModeOf(*first);
    } else {
      const auto format = ReadPcmFormat(source_.Param().streams[streams[0]].format);
      mode = ModeForRate(format ? format->sample_rate : 48000);
    }
    const int rate = media::SampleRateHz(media::RateOf(mode));
    kept_own_sound_ = first && StreamMisfitsFrames(source_, streams[0], rate);
    const std::size_t wanted = std::min<std::size_t>(streams.size(), static_cast<std::size_t>(media::PairsOf(mode)));
    for (std::size_t p = 0; p < wanted && !kept_own_sound_; ++p) feeds.push_back(std::make_unique<AviSoundFeed>(source_, streams[p], rate));
  }
  const int frame_rate_hz = media::SampleRateHz(media::RateOf(mode));

  media::AviWriter writer =
      media::AviWriter::CreateType1(output_, {system, source_.Wide()}, {.source = source_.File().Path()});
  DvFrameSequence sequence(source_);
  std::vector<std::uint8_t> frame;
  media::DvAudioFrame carried;

  for (std::size_t k = 0; k < source_.FrameCount() && !progress.StopRequested(); ++k) {
    bool damaged = false;
    if (!sequence.Read(k, frame, damaged)) continue;
    if (!feeds.empty()) {
      // Each frame keeps the sample count it declares, so that unlocked
      // sound stays where the camcorder put it.
      std::size_t count = media::SamplesForFrame(system, media::RateOf(mode), k);
      bool locked = true;
      bool ownMode = false;  // the frame's packs already describe what is written
      if (!damaged) {
        try {
          media::DecodeDvAudio(frame, carried);
          if (carried.info.sample_rate == frame_rate_hz) {
            count = carried.info.samples;
            locked = carried.info.locked;
            ownMode = AudioModeOf(carried.info) == mode;
          }
        } catch (const media::DvAudioError&) {
        }
      }
      const std::span<const std::int16_t> pair0 = feeds[0]->Take(count);
      const std::span<const std::int16_t> pair1 =
          feeds.size() > 1 ? feeds[1]->Take(count) : std::span<const std::int16_t>();
      // Sound for a pair the frame marks as not recorded needs new packs.
      const bool silent = std::all_of(pair1.begin(), pair1.end(), [](std::int16_t v) { return v == 0; });
      const bool dubbed = ownMode && carried.info.pairs == 2 && !carried.info.second_pair_recorded &&
                          !SameSamples(carried.pcm[1], pair1) && !silent;
      if (!ownMode || dubbed) {
        media::EncodeDvAudio(frame, mode, pair0, pair1, locked);
      } else if (!SameSamples(carried.pcm[0], pair0) || (!pair1.empty() && !SameSamples(carried.pcm[1], pair1))) {
        // The camcorder's packs stay; only the sound changes.
        media::EncodeDvAudioSamples(frame, mode, pair0, pair1);
      }  // else the frame already carries this sound: it goes out untouched
    }
    writer.WriteVideoFrame(frame);
    progress.SetPosition(DvFramesTicks(system, k + 1));
  }
  writer.Close();
}

}  // namespace korvid::graphs
