#include "commands/scene_commands.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <system_error>

#include "commands/command_skipped.h"
#include "commands/job_runner.h"
#include "commands/recycle_bin.h"
#include "graphs/scene_scan.h"
#include "media/binary_file.h"
#include "resources/string_table.h"

namespace korvid::commands {
namespace {

bool FileExists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(std::filesystem::path(path), ignored);
}

std::string ReplaceQuestion(const std::string& path, std::string_view shorter) {
  if (!FileExists(path)) return {};
  const std::string question = resources::Fill(resources::Text::kReplaceExistingFile, {path});
  return question.size() <= kMaxQuestionBytes ? question : std::string(shorter);
}

}  // namespace

void RunScan(graphs::SceneScanJob& job, std::size_t frames, SceneScanServices& services) {
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
  RunJob(job, services.host, services.abort, services.tickMs, [&](const graphs::JobProgress&) {
    show();
    return services.tickMs;
  });
  show();
}

namespace {

SceneScanOutcome ScanOpenedOutput(SceneWriter& writer, const media::TAfficherFichier& entry,
                                  SceneScanServices& services, std::string& nothing) {
  std::optional<graphs::SceneFrameReader> reader;
  try {
    reader.emplace(entry.fullName);
  } catch (const graphs::NothingToScan& reason) {
    nothing = reason.what();
    return SceneScanOutcome::kNotScannable;
  }
  const std::size_t frames = reader->FrameCount();
  if (frames == 0) {
    nothing = entry.fullName + " holds no frames";
    return SceneScanOutcome::kNotScannable;
  }

  const double fps = entry.fps;
  const media::DatecodeFormat& format = services.datecodeFormat;
  graphs::SceneScanJob job(*reader, services.detector,
                           [&writer, fps, &format](const graphs::DetectedScene& scene) {
                             writer.WriteScene(MakeSceneInfo(scene, fps, format));
                           },
                           services.abort);
  RunScan(job, frames, services);
  if (job.End() == graphs::SceneScanEnd::kAborted) return SceneScanOutcome::kAborted;
  // The running scene ends on the file's last frame, however short it is.
  const graphs::DetectedScene last = services.detector.Finish(static_cast<std::int32_t>(frames - 1));
  writer.WriteScene(MakeSceneInfo(last, fps, format));
  services.host.SetGauge(100);
  return SceneScanOutcome::kCompleted;
}

}  // namespace

SceneScanOutcome ScanScenes(SceneWriter& writer, const media::TAfficherFichier& entry, SceneScanServices& services,
                            std::string* nothing) {
  if (!writer.Refusal(entry).empty()) return SceneScanOutcome::kRefused;
  const BusyMark busy(services.setBusy);
  services.detector.Begin(entry.datecode, entry.timecodeText);
  if (!writer.OpenSceneOutput(entry)) return SceneScanOutcome::kRefused;
  SceneScanOutcome outcome = SceneScanOutcome::kNotScannable;
  std::string reason;
  try {
    outcome = ScanOpenedOutput(writer, entry, services, reason);
  } catch (...) {
    writer.AbandonSceneOutput();
    throw;
  }
  if (outcome == SceneScanOutcome::kNotScannable) {
    writer.AbandonSceneOutput();
    if (nothing) *nothing = reason;
  } else {
    writer.CloseSceneOutput();
  }
  return outcome;
}

TchUpdateType CreerScenesExecution(SceneWriter& writer, const media::TAfficherFichier& entry,
                                   std::string& newfichier, SceneScanServices& services) {
  newfichier = entry.fullName;
  if (std::string refusal = writer.Refusal(entry); !refusal.empty()) throw CommandSkipped(refusal);
  std::string nothing;
  if (ScanScenes(writer, entry, services, &nothing) == SceneScanOutcome::kNotScannable) throw CommandSkipped(nothing);
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
                                       const RecycleBinMover& mover) {
  newfichier = entry.fullName;
  const std::string scene_file = SceneFilePath(entry.fullName);
  const bool moved = mover ? mover(scene_file) : MoveToRecycleBin(scene_file);
  if (!moved) throw media::FileError(resources::Fill(resources::Text::kDeleteScnFileFailed, {scene_file}));
  return utModify;
}

}  // namespace korvid::commands
