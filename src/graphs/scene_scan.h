#pragma once
// The scene scan of one AVI file. It reaches each DV frame through the
// frame index and reads only the start of its first DIF sequence, the
// blocks that hold the timecode and the recording date and time packs; the
// rest of a frame is read only when those lack a date, so that a dropout
// does not cut a scene.
// The scan runs as a job on a worker thread, publishes its position for
// the gauge and stops at once when asked to.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <vector>

#include "graphs/frame_read_ahead.h"
#include "graphs/job.h"
#include "graphs/scene_detector.h"
#include "media/avi_frame_index.h"
#include "media/avi_stream.h"
#include "media/binary_file.h"
#include "media/dv_audio.h"
#include "media/dv_packs.h"
#include "resources/user_error.h"

namespace korvid::graphs {

// The file cannot be scanned: not AVI, no DV video stream, unreadable.
class SceneScanError : public UserError {
 public:
  using UserError::UserError;
};

// The file holds nothing to scan (not AVI, no DV video stream), as opposed
// to a file that cannot be read.
class NothingToScan : public SceneScanError {
 public:
  using SceneScanError::SceneScanError;
};

struct FramePacks {
  media::TDatecode datecode;
  media::TTimecode timecode;
  // The first sequence's date or time was unusable and a later one's was taken.
  bool datecodeFromLaterSequence = false;
};

// How much of each frame is read: the pack area, or every byte for those
// who look at the picture and sound blocks too.
enum class FrameReading { kPacks, kWholeFrame };

// Opens a file and reads the packs of its DV frames one at a time.
class SceneFrameReader {
 public:
  // Throws SceneScanError with the reason when the file cannot be scanned.
  explicit SceneFrameReader(const std::filesystem::path& path, FrameReading reading = FrameReading::kPacks);

  std::size_t FrameCount() const { return frames_; }
  // The video stream's frame rate as players time it.
  media::FrameRate Rate() const { return rate_; }
  // The sound format of the file's first usable frame, when it has one.
  const std::optional<media::DvAudioInfo>& FileSound() const { return file_sound_; }
  // Throws media::FileError on a read error, std::out_of_range past the end.
  FramePacks Read(std::size_t frame);
  // With kWholeFrame, the bytes of the frame Read last returned, valid
  // until the next Read; else empty.
  std::span<const std::uint8_t> WholeFrame() const { return wholeFrame_; }

 private:
  media::BinaryFile file_;
  media::AviFrameIndex index_;
  std::size_t stream_ = 0;
  std::size_t frames_ = 0;
  FrameReading reading_ = FrameReading::kPacks;
  media::FrameRate rate_{25, 1};
  std::optional<media::DvAudioInfo> file_sound_;
  std::vector<std::uint8_t> head_;
  std::vector<std::uint8_t> whole_;
  std::span<const std::uint8_t> wholeFrame_;
  std::optional<FrameReadAhead> readAhead_;  // kWholeFrame
};

// Written by the scanning thread, read by anyone.
struct SceneScanProgress {
  std::atomic<std::int64_t> position{0};            // frames done
  std::atomic<std::int64_t> latestSceneStart{-1};   // first frame of the newest scene, -1 none
};

enum class SceneScanEnd { kCompleted, kAborted };

// Called with each scene a jump finishes, on the scanning thread. What it
// throws ends the scan and is handed on.
using SceneSink = std::function<void(const DetectedScene&)>;

// One frame as the scan saw it, for those who record every frame.
struct ScannedFrame {
  std::size_t frame = 0;
  bool read = false;        // false: the frame could not be read, the rest is empty
  FramePacks packs;
  bool sceneStart = false;  // the first frame of a scene, by the scene rules
  std::span<const std::uint8_t> bytes;  // the whole frame with FrameReading::kWholeFrame
  // The date jump found on this frame, whether it cut (sceneStart) or was absorbed.
  std::optional<SceneCause> cause;
};

// Called with every frame in order, on the scanning thread; what it throws
// ends the scan and is handed on.
using FrameSink = std::function<void(const ScannedFrame&)>;

// Feeds every frame to `detector` from frame 0. The running scene is not
// handed to `sink`: the caller ends it with detector.Finish on completion.
// A frame that cannot be read is skipped, as a frame without packs would be.
// `frames`, when given, sees every frame, read or not.
SceneScanEnd RunSceneScan(SceneFrameReader& reader, SceneDetector& detector, const SceneSink& sink,
                          const std::atomic<bool>& abort, SceneScanProgress& progress,
                          const FrameSink& frames = {});

// RunSceneScan as a job. It stops when `abort` rises, read by the scan
// itself before each frame, so that an abort raised while a scene is being
// written stops it before the next frame; a stop asked through the progress
// alone is not seen. The reader, detector, sink and flag must outlive it.
class SceneScanJob : public Job {
 public:
  SceneScanJob(SceneFrameReader& reader, SceneDetector& detector, SceneSink sink, const std::atomic<bool>& abort,
               FrameSink frames = {});

  void Run(JobProgress& progress) override;
  // Read by any thread while the scan runs.
  const SceneScanProgress& Progress() const { return progress_; }
  // How the scan ended, once Run has returned.
  SceneScanEnd End() const { return end_; }

 private:
  SceneFrameReader& reader_;
  SceneDetector& detector_;
  SceneSink sink_;
  const std::atomic<bool>& abort_;
  FrameSink frames_;
  SceneScanProgress progress_;
  SceneScanEnd end_ = SceneScanEnd::kAborted;
};

}  // namespace korvid::graphs
