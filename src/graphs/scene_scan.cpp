#include "graphs/scene_scan.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string>
#include <utility>

#include "media/avi_param.h"
#include "media/datecode_shift.h"
#include "media/dv_frame.h"
#include "media/dv_pack_scan.h"

namespace korvid::graphs {
namespace {

// Enough for any 25 or 50 Mbit/s frame; a chunk size from the index is
// never trusted beyond it.
constexpr std::size_t kLargestFrameBytes = 2 * media::FrameBytes(media::DvSystem::k625_50);
// The header, subcode and VAUX blocks of the first DIF sequence: every pack
// the scan needs, in the first 480 bytes of the frame.
constexpr std::size_t kPackAreaBytes = 6 * media::kDifBlockBytes;
// Frames read before the detector sees them: small enough that an abort
// or the gauge waits only a moment, large enough to make starting a thread
// per batch cheap.
constexpr std::size_t kBatchFrames = 2048;

media::BinaryFile OpenForScan(const std::filesystem::path& path) {
  try {
    return media::BinaryFile(path, media::BinaryFile::Mode::kRead);
  } catch (const media::FileError& e) {
    throw SceneScanError(e.what());
  }
}

}  // namespace

SceneFrameReader::SceneFrameReader(const std::filesystem::path& path)
    : file_(OpenForScan(path)) {
  try {
    const media::TAviParam param(file_);
    if (!param.valid) throw NothingToScan(path.string() + " is not an AVI file");
    const std::optional<std::size_t> stream = media::FindDvVideoStream(param);
    if (!stream) throw NothingToScan(path.string() + " has no video stream");
    index_ = media::AviFrameIndex::Load(file_, param);
    stream_ = *stream;
    frames_ = std::min<std::size_t>(index_.FramesOf(stream_).size(),
                                    static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()));
  } catch (const media::FileError& e) {
    throw SceneScanError(e.what());
  }
}

FramePacks SceneFrameReader::Read(std::size_t frame, Buffers& buffers) const {
  FramePacks packs;
  buffers.head.resize(kPackAreaBytes);
  const std::size_t got = index_.ReadFrameStart(file_, stream_, frame, buffers.head);
  const std::span<const std::uint8_t> head(buffers.head.data(), got);
  // Bytes of another codec could pass for packs anywhere.
  if (!media::DetectDvSystem(head)) return packs;
  media::ReadFrameDatecode(head, packs.datecode);
  packs.timecode = media::ReadFrameTimecode(head);
  if (media::IsCalendarDatecode(packs.datecode)) return packs;

  // A dropout in the first sequence: the camcorder repeated its packs in
  // the others.
  const std::size_t size = std::min<std::size_t>(index_.FramesOf(stream_)[frame].size, kLargestFrameBytes);
  if (size <= got) return packs;
  buffers.whole.resize(size);
  const std::size_t all = index_.ReadFrameStart(file_, stream_, frame, buffers.whole);
  const std::span<const std::uint8_t> frame_bytes(buffers.whole.data(), all);
  media::ReadFrameDatecode(frame_bytes, packs.datecode);
  if (!media::HasTimecode(packs.timecode)) packs.timecode = media::ReadFrameTimecode(frame_bytes);
  return packs;
}

SceneScanEnd RunSceneScan(SceneFrameReader& reader, SceneDetector& detector, const SceneSink& sink,
                          const std::atomic<bool>& abort, SceneScanProgress& progress) {
  const std::size_t count = reader.FrameCount();
  std::vector<std::optional<FramePacks>> batch;
  SceneFrameReader::Buffers buffers;
  SceneFrameReader::Buffers helper_buffers;
  for (std::size_t first = 0; first < count; first += kBatchFrames) {
    const std::size_t size = std::min(kBatchFrames, count - first);
    batch.assign(size, std::nullopt);
    // Nearly all of a scan is waiting for reads: two threads read the
    // halves of each batch, and the detector takes the frames in order.
    const auto read = [&](std::size_t from, std::size_t to, SceneFrameReader::Buffers& own) {
      for (std::size_t i = from; i < to && !abort.load(std::memory_order_relaxed); ++i) {
        try {
          batch[i] = reader.Read(first + i, own);
        } catch (const media::FileError&) {
          // an unreadable frame says nothing about the scenes
        }
      }
    };
    std::exception_ptr helper_failure;
    std::thread helper([&] {
      try {
        read(size / 2, size, helper_buffers);
      } catch (...) {
        helper_failure = std::current_exception();
      }
    });
    try {
      read(0, size / 2, buffers);
    } catch (...) {
      helper.join();
      throw;
    }
    helper.join();
    if (helper_failure) std::rethrow_exception(helper_failure);
    if (abort.load(std::memory_order_relaxed)) return SceneScanEnd::kAborted;

    for (std::size_t i = 0; i < size; ++i) {
      if (!batch[i]) continue;
      const auto frame = static_cast<std::int32_t>(first + i);
      FrameOutcome outcome = detector.Feed(frame, batch[i]->datecode, batch[i]->timecode);
      if (outcome.finished) {
        sink(*outcome.finished);
        progress.latestSceneStart.store(frame, std::memory_order_relaxed);
      }
      progress.position.store(static_cast<std::int64_t>(first + i) + 1, std::memory_order_relaxed);
    }
  }
  return SceneScanEnd::kCompleted;
}

SceneScanJob::SceneScanJob(SceneFrameReader& reader, SceneDetector& detector, SceneSink sink,
                           const std::atomic<bool>& abort, std::function<void()> finished) {
  thread_ = std::thread([this, &reader, &detector, sink = std::move(sink), &abort, finished = std::move(finished)] {
    try {
      end_ = RunSceneScan(reader, detector, sink, abort, progress_);
    } catch (...) {
      error_ = std::current_exception();
    }
    done_.store(true, std::memory_order_release);
    if (finished) finished();
  });
}

SceneScanJob::~SceneScanJob() {
  if (thread_.joinable()) thread_.join();
}

SceneScanEnd SceneScanJob::Join() {
  if (thread_.joinable()) thread_.join();
  if (error_) std::rethrow_exception(error_);
  return end_;
}

}  // namespace korvid::graphs
