#include "graphs/header_rewrite_job.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "graphs/dv_type_jobs.h"
#include "graphs/pcm_copier.h"
#include "media/avi_writer.h"

namespace korvid::graphs {

HeaderRewriteJob::HeaderRewriteJob(const std::filesystem::path& source, std::filesystem::path output,
                                   Dixmark dixmark)
    : HeaderRewriteJob(source, std::move(output),
                       [dixmark = std::move(dixmark)](std::size_t, std::span<std::uint8_t> frame) {
                         dixmark.ProcessInPlace(frame);
                       }) {
  keepStopped_ = true;
}

HeaderRewriteJob::HeaderRewriteJob(const std::filesystem::path& source, std::filesystem::path output,
                                   FrameRewrite rewrite)
    : source_(source), output_(std::move(output)), rewrite_(std::move(rewrite)) {}

std::int64_t HeaderRewriteJob::Duration() const { return DvFramesTicks(source_.System(), source_.FrameCount()); }

void HeaderRewriteJob::Run(JobProgress& progress) {
  const media::AviVideoFormat video{source_.System(), source_.Wide()};
  PcmCopier pcm(source_, true);
  const media::AviWriterOptions options{.source = source_.File().Path()};
  media::AviWriter writer = source_.Interleaved() ? media::AviWriter::CreateType1(output_, video, options)
                                                  : media::AviWriter::CreateType2(output_, video, pcm.Formats(), options);

  const std::size_t frames = source_.FrameCount();
  std::vector<std::uint8_t> frame;
  DvFrameSequence sequence(source_);
  bool stopped = false;
  for (std::size_t k = 0; k < frames; ++k) {
    if (progress.StopRequested()) {
      stopped = true;
      break;
    }
    bool damaged = false;
    if (!sequence.Read(k, frame, damaged)) continue;
    // A stand-in already holds its rewritten packs: rewriting it again
    // would move its clock twice.
    if (!damaged) rewrite_(k, frame);
    writer.WriteVideoFrame(frame);
    pcm.AfterFrame(k, writer);
    progress.SetPosition(DvFramesTicks(source_.System(), k + 1));
  }
  // Without Close the writer removes what it wrote.
  if (stopped && !keepStopped_) return;
  writer.Close();
}

}  // namespace korvid::graphs
