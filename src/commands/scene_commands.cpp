#include "commands/scene_commands.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <system_error>

#include "commands/recycle_bin.h"
#include "graphs/job_wait.h"
#include "graphs/scene_scan.h"
#include "resources/string_table.h"

namespace korvid::commands {
namespace {

// Clears the busy mark however the scan ends.
class BusyMark {
 public:
  explicit BusyMark(const std::function<void(bool)>& set) : set_(set) {
    if (set_) set_(true);
  }
  ~BusyMark() {
    if (set_) set_(false);
  }
  BusyMark(const BusyMark&) = delete;
  BusyMark& operator=(const BusyMark&) = delete;

 private:
  const std::function<void(bool)>& set_;
};

bool FileExists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(std::filesystem::path(path), ignored);
}

std::string ReplaceQuestion(const std::string& path, std::string_view shorter) {
  if (!FileExists(path)) return {};
  const std::string question = resources::Fill(resources::Text::kReplaceExistingFile, {path});
  return question.size() <= kMaxQuestionBytes ? question : std::string(shorter);
}

// Waits for the job on the calling thread, keeping the window alive,
// feeding the gauge and showing where new scenes begin.
void WaitForScan(const graphs::SceneScanJob& job, std::size_t frames, SceneScanServices& services) {
  std::int64_t shown_start = -1;
  int shown_percent = -1;
  const auto show = [&] {
    const std::int64_t position = job.Progress().position.load(std::memory_order_relaxed);
    const int percent =
        static_cast<int>(std::min<std::int64_t>(100, position * 100 / static_cast<std::int64_t>(frames)));
    if (percent != shown_percent) services.host.SetGauge(shown_percent = percent);
    const std::int64_t start = job.Progress().latestSceneStart.load(std::memory_order_relaxed);
    if (start != shown_start && services.showSceneStart) services.showSceneStart(static_cast<std::int32_t>(start));
    shown_start = start;
  };
  // The job sees the same abort flag and stops.
  const auto stop = [&] { return job.Done() || services.abort.load(); };
  graphs::WaitForJob(services.host, stop, services.tickMs, [&] {
    show();
    return services.tickMs;
  });
  show();
}

SceneScanOutcome ScanOpenedOutput(SceneWriter& writer, const media::TAfficherFichier& entry,
                                  SceneScanServices& services) {
  std::optional<graphs::SceneFrameReader> reader;
  try {
    reader.emplace(entry.fullName);
  } catch (const graphs::SceneScanError&) {
    return SceneScanOutcome::kNotScannable;
  }
  const std::size_t frames = reader->FrameCount();
  if (frames == 0) return SceneScanOutcome::kNotScannable;

  const double fps = entry.fps;
  const media::DatecodeFormat& format = services.datecodeFormat;
  graphs::SceneScanJob job(*reader, services.detector,
                           [&writer, fps, &format](const graphs::DetectedScene& scene) {
                             writer.WriteScene(MakeSceneInfo(scene, fps, format));
                           },
                           services.abort, [&host = services.host] { host.Wake(); });
  WaitForScan(job, frames, services);
  if (job.Join() == graphs::SceneScanEnd::kAborted) return SceneScanOutcome::kAborted;
  // The running scene ends on the file's last frame, however short it is.
  const graphs::DetectedScene last = services.detector.Finish(static_cast<std::int32_t>(frames - 1));
  writer.WriteScene(MakeSceneInfo(last, fps, format));
  services.host.SetGauge(100);
  return SceneScanOutcome::kCompleted;
}

}  // namespace

SceneScanOutcome ScanScenes(SceneWriter& writer, const media::TAfficherFichier& entry, SceneScanServices& services) {
  if (!writer.Refusal(entry).empty()) return SceneScanOutcome::kRefused;
  const BusyMark busy(services.setBusy);
  services.detector.Begin(entry.datecode, entry.timecodeText);
  SceneScanOutcome outcome = SceneScanOutcome::kNoOutput;
  try {
    if (writer.OpenSceneOutput(entry)) outcome = ScanOpenedOutput(writer, entry, services);
  } catch (const std::exception&) {
    outcome = SceneScanOutcome::kFailed;
  }
  if (!writer.CloseSceneOutput() && outcome == SceneScanOutcome::kCompleted) outcome = SceneScanOutcome::kFailed;
  return outcome;
}

TchUpdateType CreerScenesExecution(SceneWriter& writer, const media::TAfficherFichier& entry,
                                   std::string& newfichier, SceneScanServices& services) {
  newfichier = entry.fullName;
  if (const std::string refusal = writer.Refusal(entry); !refusal.empty()) {
    services.host.Ask(MessageKind::kError, refusal, Buttons::kOk);
    return utNone;
  }
  ScanScenes(writer, entry, services);
  // The scene file changed or went away in every other case.
  return utModify;
}

std::string CreerScenesConfirmation(const media::TAfficherFichier& entry) {
  return ReplaceQuestion(SceneFilePath(entry.fullName), resources::Str(resources::Text::kReplaceExistingScnFile));
}

std::string ScenesTextConfirmation(const media::TAfficherFichier& entry) {
  return ReplaceQuestion(SceneTextPath(entry.fullName), resources::Str(resources::Text::kReplaceExistingFileShort));
}

void SupprimerScenesFileCondition(const media::TAfficherFichier& entry, bool& /*visible*/, bool& enabled) {
  enabled = entry.hasSceneFile;
}

std::string SupprimerScenesConfirmation(const media::TAfficherFichier& entry) {
  const std::string question =
      resources::Fill(resources::Text::kMoveScnFileToRecycleBin, {SceneFilePath(entry.fullName)});
  return question.size() <= kMaxQuestionBytes
             ? question
             : std::string(resources::Str(resources::Text::kMoveThisScnFileToRecycleBin));
}

TchUpdateType SupprimerScenesExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                                       CommandHost& host, const RecycleBinMover& mover) {
  newfichier = entry.fullName;
  const std::string scene_file = SceneFilePath(entry.fullName);
  const bool moved = mover ? mover(scene_file) : MoveToRecycleBin(scene_file);
  if (moved) return utModify;
  host.Ask(MessageKind::kError, resources::Fill(resources::Text::kDeleteScnFileFailed, {scene_file}), Buttons::kOk);
  return utNone;
}

}  // namespace korvid::commands
