#include "graphs/inlay_job.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <utility>
#include <vector>

#include "graphs/bounded_queue.h"
#include "graphs/dv_picture_decoder.h"
#include "graphs/dv_type_jobs.h"
#include "graphs/pcm_copier.h"
#include "media/avi_writer.h"
#include "graphs/dv_video_encoder.h"

namespace korvid::graphs {

namespace {

constexpr std::size_t kQueuedPictures = 6;
constexpr std::size_t kAudioBlocksPerSequence = 9;
constexpr std::size_t kHeaderSubcodeVauxBlocks = 6;

struct DrawnPicture {
  FramePtr picture;
  std::vector<std::uint8_t> source_frame;
  std::uint64_t index = 0;
};

}  // namespace

bool CopyNonPictureBlocks(std::span<std::uint8_t> output, std::span<const std::uint8_t> source,
                          media::DvSystem system) {
  const std::size_t bytes = media::FrameBytes(system);
  if (output.size() != bytes || source.size() != bytes) return false;
  const auto copy = [&](std::size_t at, std::size_t length) {
    std::memcpy(output.data() + at, source.data() + at, length);
  };
  for (std::size_t s = 0; s < media::SequencesPerFrame(system); ++s) {
    copy(media::DifBlockOffset(s, 0), kHeaderSubcodeVauxBlocks * media::kDifBlockBytes);
    for (std::size_t a = 0; a < kAudioBlocksPerSequence; ++a) {
      copy(media::DifBlockOffset(s, media::AudioBlockIndex(a)), media::kDifBlockBytes);
    }
  }
  return true;
}

InlayJob::InlayJob(const std::filesystem::path& source, std::filesystem::path output, int dv_type,
                   media::DvSystem system, Calenox calenox, Layrin layrin, Dixmark dixmark)
    : source_(source),
      output_(std::move(output)),
      type1_(dv_type == 1),
      calenox_(std::move(calenox)),
      layrin_(std::move(layrin)),
      dixmark_(std::move(dixmark)) {
  if (source_.System() != system) throw ConversionError("the source is not of the TV system asked for");
}

std::int64_t InlayJob::Duration() const { return DvFramesTicks(source_.System(), source_.FrameCount()); }

void InlayJob::Run(JobProgress& progress) {
  const media::DvSystem system = source_.System();
  const bool wide = source_.Wide();
  PcmCopier pcm(source_, !type1_);
  DvVideoEncoder encoder(system, wide);
  const media::AviWriterOptions options{.source = source_.File().Path()};
  media::AviWriter writer = type1_ ? media::AviWriter::CreateType1(output_, {system, wide}, options)
                                   : media::AviWriter::CreateType2(output_, {system, wide}, pcm.Formats(), options);

  RunTwoStages<DrawnPicture>(
      kQueuedPictures,
      [&](BoundedQueue<DrawnPicture>& queue) {
        DvFrameSequence sequence(source_);
        DvPictureDecoder decoder;
        FramePtr last;
        for (std::size_t k = 0; k < source_.FrameCount() && !progress.StopRequested(); ++k) {
          DrawnPicture item;
          item.index = k;
          bool damaged = false;
          if (!sequence.Read(k, item.source_frame, damaged)) continue;
          const std::string text = calenox_.Next(item.source_frame);
          FramePtr picture;
          if (!decoder.Decode(item.source_frame, picture)) {
            if (!last) continue;
            picture.reset(av_frame_clone(last.get()));
          }
          if (!picture || picture->width != encoder.Width() || picture->height != encoder.Height() ||
              picture->format != encoder.PixelFormat())
            throw ConversionError("the DV decoder gave an unexpected picture format");
          // A fresh decoder picture is ours alone, so this copies only a
          // stand-in that shares the previous picture.
          if (av_frame_make_writable(picture.get()) < 0) throw ConversionError("out of memory for a picture");
          layrin_.Draw(*picture, text);
          last.reset(av_frame_clone(picture.get()));
          item.picture = std::move(picture);
          if (!queue.Push(std::move(item))) break;
        }
      },
      [&](DrawnPicture item) {
        std::vector<std::uint8_t> frame = encoder.Encode(*item.picture);
        CopyNonPictureBlocks(frame, item.source_frame, system);
        dixmark_.Process(frame, item.source_frame);
        writer.WriteVideoFrame(frame);
        pcm.AfterFrame(static_cast<std::size_t>(item.index), writer);
        progress.SetPosition(DvFramesTicks(system, item.index + 1));
      });
  writer.Close();
}

}  // namespace korvid::graphs
