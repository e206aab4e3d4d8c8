#include "graphs/standard_conversion_job.h"

#include <array>
#include <exception>
#include <utility>
#include <vector>

#include "graphs/bounded_queue.h"
#include "graphs/converted_timecode.h"
#include "graphs/dv_picture_decoder.h"
#include "graphs/dv_type_jobs.h"
#include "graphs/field_resampler.h"
#include "graphs/sound_feed.h"
#include "media/avi_writer.h"
#include "media/dv_audio_encoder.h"
#include "media/dv_audio_sample_count.h"
#include "media/dv_pack_carry.h"
#include "graphs/dv_video_encoder.h"

namespace korvid::graphs {

namespace {

constexpr int kSoundRate = 48000;
constexpr std::size_t kQueuedPictures = 4;

struct ScaledPicture {
  FramePtr picture;
  std::vector<std::uint8_t> source_frame;  // for the header rewriter
  std::uint64_t source_index = 0;
  std::uint64_t index = 0;
};

// The last two decoded source frames: an output frame's fields come from
// at most two neighbouring source frames.
class SourceWindow {
 public:
  explicit SourceWindow(const DvSource& source) : sequence_(source) {}

  struct Entry {
    std::uint64_t index = UINT64_MAX;
    FramePtr picture;
    std::vector<std::uint8_t> raw;
  };

  // Frame k, decoded (k never goes back by more than one).
  const Entry* Get(std::uint64_t k) {
    for (const Entry& e : slots_)
      if (e.index == k) return &e;
    while (next_ <= k) Load(next_++);
    for (const Entry& e : slots_)
      if (e.index == k) return &e;
    return nullptr;
  }

 private:
  void Load(std::uint64_t k) {
    Entry& slot = slots_[k % 2];
    bool damaged = false;
    if (!sequence_.Read(k, slot.raw, damaged)) return;
    // A damaged frame stands in as the one just before it.
    if (const Entry& other = slots_[(k + 1) % 2]; damaged && !other.raw.empty()) slot.raw = other.raw;
    FramePtr picture;
    if (decoder_.Decode(slot.raw, picture)) {
      slot.picture = std::move(picture);
    } else if (const Entry& other = slots_[(k + 1) % 2]; other.picture) {
      // An undecodable frame shows the picture before it.
      slot.picture.reset(av_frame_clone(other.picture.get()));
    }
    slot.index = slot.picture ? k : UINT64_MAX;
  }

  DvFrameSequence sequence_;
  DvPictureDecoder decoder_;
  std::array<Entry, 2> slots_;
  std::uint64_t next_ = 0;
};

}  // namespace

StandardConversionJob::StandardConversionJob(const std::filesystem::path& source, std::filesystem::path output,
                                             media::DvSystem target, std::optional<Dixmark> dixmark)
    : source_(source), output_(std::move(output)), target_(target), dixmark_(std::move(dixmark)) {}

std::int64_t StandardConversionJob::Duration() const {
  return DvFramesTicks(source_.System(), source_.FrameCount());
}

void StandardConversionJob::Run(JobProgress& progress) {
  const media::DvSystem from = source_.System();
  const bool wide = source_.Wide();
  const std::uint64_t frames_out = TargetFrameCount(source_.FrameCount(), from, target_);
  const bool type1 = source_.Interleaved();
  std::unique_ptr<SoundFeed> sound = MakeSoundFeed(source_, kSoundRate);

  DvVideoEncoder encoder(target_, wide);
  std::vector<media::AviAudioFormat> formats;
  if (sound && !type1) formats.push_back({kSoundRate, 2, 16});
  const media::AviWriterOptions options{.source = source_.File().Path()};
  media::AviWriter writer = type1 ? media::AviWriter::CreateType1(output_, {target_, wide}, options)
                                  : media::AviWriter::CreateType2(output_, {target_, wide}, formats, options);
  ConvertedTimecode timecode(from, target_);

  RunTwoStages<ScaledPicture>(
      kQueuedPictures,
      [&](BoundedQueue<ScaledPicture>& queue) {
        SourceWindow window(source_);
        const FieldRate source_rate = FieldRateOf(from);
        const FieldRate target_rate = FieldRateOf(target_);
        const FieldScaler scaler(720, from == media::DvSystem::k625_50 ? 576 : 480,
                                 from == media::DvSystem::k625_50 ? AV_PIX_FMT_YUV420P : AV_PIX_FMT_YUV411P,
                                 encoder.Width(), encoder.Height(), encoder.PixelFormat());
        for (std::uint64_t j = 0; j < frames_out && !progress.StopRequested(); ++j) {
          ScaledPicture item;
          item.index = j;
          item.picture = encoder.NewPicture();
          bool complete = true;
          for (std::uint64_t t = 0; t < 2; ++t) {
            const std::uint64_t field = SourceFieldAt(2 * j + t, source_rate, target_rate);
            const SourceWindow::Entry* entry = window.Get(field / 2);
            if (entry == nullptr) {
              complete = false;
              break;
            }
            const AVFrame& picture = *entry->picture;
            if (picture.width != 720 || picture.format != (from == media::DvSystem::k625_50 ? AV_PIX_FMT_YUV420P
                                                                                             : AV_PIX_FMT_YUV411P))
              throw ConversionError("the DV decoder gave an unexpected picture format");
            scaler.Scale(picture, ParityOfField(field), *item.picture, ParityOfField(t));
            if (t == 0) {
              item.source_frame = entry->raw;
              item.source_index = entry->index;
            }
          }
          if (!complete) continue;  // no whole source frame yet
          if (!queue.Push(std::move(item))) break;
        }
      },
      [&](ScaledPicture item) {
        std::vector<std::uint8_t> frame = encoder.Encode(*item.picture);
        media::CarryVideoPacks(frame, item.source_frame);
        if (dixmark_ && dixmark_->Process(frame, item.source_frame))
          timecode.Write(frame, item.source_index, item.source_frame);
        if (sound) {
          const std::size_t count = media::SamplesForFrame(target_, media::DvAudioRate::k48000, item.index);
          const std::span<const std::int16_t> pcm = sound->Take(count);
          media::EncodeDvAudio(frame, media::DvAudioMode::k48k16Bit2Ch, pcm);
          media::CarryAudioPacks(frame, item.source_frame);
          writer.WriteVideoFrame(frame);
          if (!type1) writer.WriteAudio(0, {reinterpret_cast<const std::uint8_t*>(pcm.data()), pcm.size_bytes()});
        } else {
          writer.WriteVideoFrame(frame);
        }
        progress.SetPosition(DvFramesTicks(target_, item.index + 1));
      });
  writer.Close();
}

}  // namespace korvid::graphs
