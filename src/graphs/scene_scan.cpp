#include "graphs/scene_scan.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string>
#include <utility>

#include "media/avi_param.h"
#include "media/avi_stream_analysis.h"
#include "media/datecode_shift.h"
#include "media/dv_frame.h"
#include "media/dv_frame_facts.h"

namespace korvid::graphs {
namespace {

// Enough for any 25 or 50 Mbit/s frame; a chunk size from the index is
// never trusted beyond it.
constexpr std::size_t kLargestFrameBytes = 2 * media::FrameBytes(media::DvSystem::k625_50);
// The header, subcode and VAUX blocks of the first DIF sequence: every pack
// the scan needs, in the first 480 bytes of the frame.
constexpr std::size_t kPackAreaBytes = 6 * media::kDifBlockBytes;

media::BinaryFile OpenForScan(const std::filesystem::path& path) {
  try {
    return media::BinaryFile(path, media::BinaryFile::Mode::kRead);
  } catch (const media::FileError& e) {
    throw SceneScanError(e.what());
  }
}

}  // namespace

SceneFrameReader::SceneFrameReader(const std::filesystem::path& path, FrameReading reading)
    : file_(OpenForScan(path)), reading_(reading), head_(kPackAreaBytes) {
  try {
    const media::TAviParam param(file_);
    if (!param.valid) throw NothingToScan(path.string() + " is not an AVI file");
    const std::optional<std::size_t> stream = media::FindDvVideoStream(param);
    if (!stream) throw NothingToScan(path.string() + " has no video stream");
    index_ = media::AviFrameIndex::Load(file_, param);
    stream_ = *stream;
    frames_ = std::min<std::size_t>(index_.FramesOf(stream_).size(),
                                    static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()));
    const media::StreamAnalysis analysis = media::AnalyseAviStreams(file_, param);
    if (analysis.video && analysis.video->frame_rate != 0 && analysis.video->frame_scale != 0)
      rate_ = {analysis.video->frame_rate, analysis.video->frame_scale};
    std::vector<std::uint8_t> first;
    if (media::FindFirstUsableFrame(file_, index_, stream_, first))
      file_sound_ = media::ReadDvFrameSound(first);
    if (reading_ == FrameReading::kWholeFrame) readAhead_.emplace(file_, index_, stream_, kLargestFrameBytes);
  } catch (const media::FileError& e) {
    throw SceneScanError(e.what());
  }
}

FramePacks SceneFrameReader::Read(std::size_t frame) {
  FramePacks packs;
  wholeFrame_ = {};
  const std::span<const media::FrameLocation> frames = index_.FramesOf(stream_);
  if (frame >= frames.size()) throw std::out_of_range("there is no frame " + std::to_string(frame));
  const media::FrameLocation& location = frames[frame];
  const std::size_t size = std::min<std::size_t>(location.size, kLargestFrameBytes);
  std::span<const std::uint8_t> head;
  if (reading_ == FrameReading::kWholeFrame) {
    // The whole frame; the pack area is its start.
    wholeFrame_ = readAhead_->Frame(frame);
    head = wholeFrame_.first(std::min(wholeFrame_.size(), kPackAreaBytes));
  } else {
    head = {head_.data(), index_.ReadFrameStart(file_, stream_, frame, head_)};
  }
  const std::size_t got = head.size();
  // Bytes of another codec could pass for packs anywhere.
  const media::DvFrameFacts head_facts = media::ReadDvFrameFacts(head);
  if (!head_facts.system) return packs;
  packs.datecode = head_facts.datecode;
  packs.timecode = head_facts.timecode;
  if (media::IsCalendarDatecode(packs.datecode)) return packs;

  // A dropout in the first sequence: the camcorder repeated its packs in
  // the others.
  if (size <= got) return packs;
  std::span<const std::uint8_t> frame_bytes = WholeFrame();
  if (reading_ == FrameReading::kPacks) {
    whole_.resize(size);
    frame_bytes = {whole_.data(), index_.ReadFrameStart(file_, stream_, frame, whole_)};
  }
  const media::DvFrameFacts facts = media::ReadDvFrameFacts(frame_bytes);
  packs.datecode = facts.datecode;
  if (!media::HasTimecode(packs.timecode)) packs.timecode = facts.timecode;
  packs.datecodeFromLaterSequence = media::HasDatecode(packs.datecode) && facts.datecodeFromLaterSequence;
  return packs;
}

SceneScanEnd RunSceneScan(SceneFrameReader& reader, SceneDetector& detector, const SceneSink& sink,
                          const std::atomic<bool>& abort, SceneScanProgress& progress, const FrameSink& frames) {
  const std::size_t count = reader.FrameCount();
  for (std::size_t k = 0; k < count; ++k) {
    if (abort.load(std::memory_order_relaxed)) return SceneScanEnd::kAborted;
    FramePacks packs;
    try {
      packs = reader.Read(k);
    } catch (const media::FileError&) {
      // An unreadable frame says nothing about the scenes.
      if (frames) frames(ScannedFrame{k, false, {}, k == 0, {}, std::nullopt});
      continue;
    }
    const auto frame = static_cast<std::int32_t>(k);
    FrameOutcome outcome = detector.Feed(frame, packs.datecode, packs.timecode);
    if (outcome.finished) {
      sink(*outcome.finished);
      progress.latestSceneStart.store(frame, std::memory_order_relaxed);
    }
    if (frames)
      frames(ScannedFrame{k, true, packs, k == 0 || outcome.finished.has_value(), reader.WholeFrame(), outcome.cause});
    progress.position.store(static_cast<std::int64_t>(k) + 1, std::memory_order_relaxed);
  }
  return SceneScanEnd::kCompleted;
}

SceneScanJob::SceneScanJob(SceneFrameReader& reader, SceneDetector& detector, SceneSink sink,
                           const std::atomic<bool>& abort, FrameSink frames)
    : reader_(reader), detector_(detector), sink_(std::move(sink)), abort_(abort), frames_(std::move(frames)) {}

void SceneScanJob::Run(JobProgress&) { end_ = RunSceneScan(reader_, detector_, sink_, abort_, progress_, frames_); }

}  // namespace korvid::graphs
