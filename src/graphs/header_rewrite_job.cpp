#include "graphs/header_rewrite_job.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "graphs/avi_pcm_reader.h"
#include "graphs/dv_type_jobs.h"
#include "media/avi_writer.h"

namespace korvid::graphs {

namespace {
constexpr std::size_t kChunkLimit = 16u << 20;
}

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
  std::vector<std::size_t> copied;  // source auds streams that go along
  std::vector<media::AviAudioFormat> formats;
  if (!source_.Interleaved()) {
    for (std::size_t stream : source_.AudioStreams()) {
      const auto format = ReadPcmFormat(source_.Param().streams[stream].format);
      if (!format) continue;
      copied.push_back(stream);
      formats.push_back({static_cast<std::uint32_t>(format->sample_rate), static_cast<std::uint16_t>(format->channels),
                         static_cast<std::uint16_t>(format->bits)});
    }
  }
  const media::AviWriterOptions options{.source = source_.File().Path()};
  media::AviWriter writer = source_.Interleaved() ? media::AviWriter::CreateType1(output_, video, options)
                                                  : media::AviWriter::CreateType2(output_, video, formats, options);

  const std::size_t frames = source_.FrameCount();
  std::vector<std::size_t> next_chunk(copied.size(), 0);
  std::vector<std::uint8_t> frame;
  std::vector<std::uint8_t> chunk;
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
    for (std::size_t a = 0; a < copied.size(); ++a) {
      const auto chunks = source_.Index().FramesOf(copied[a]);
      // The sound chunks that belong before the next frame.
      const std::size_t due = k + 1 == frames ? chunks.size() : (k + 1) * chunks.size() / frames;
      for (; next_chunk[a] < std::min(due, chunks.size()); ++next_chunk[a]) {
        const media::FrameLocation where = chunks[next_chunk[a]];
        chunk.resize(std::min<std::size_t>(where.size, kChunkLimit));
        chunk.resize(source_.ReadBytes(where.offset, chunk));
        const std::size_t block = static_cast<std::size_t>(formats[a].channels) * (formats[a].bits / 8u);
        chunk.resize(chunk.size() / block * block);
        if (!chunk.empty()) writer.WriteAudio(a, chunk);
      }
    }
    progress.SetPosition(DvFramesTicks(source_.System(), k + 1));
  }
  // Without Close the writer removes what it wrote.
  if (stopped && !keepStopped_) return;
  writer.Close();
}

}  // namespace korvid::graphs
