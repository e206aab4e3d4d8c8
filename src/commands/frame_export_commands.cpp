#include "commands/frame_export_commands.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <utility>

#include "commands/command_skipped.h"
#include "commands/conversion_commands.h"
#include "commands/run_outputs.h"
#include "graphs/datecode_cues.h"
#include "graphs/frame_log.h"
#include "graphs/scene_scan.h"
#include "graphs/srt_text.h"
#include "media/atomic_output.h"
#include "resources/string_table.h"

namespace korvid::commands {
namespace {

// The CSV is handed to the file in pieces of about this size.
constexpr std::size_t kWriteChunkBytes = 1 << 20;

// On the heap: a reader that reads ahead stays where its thread finds it.
std::unique_ptr<graphs::SceneFrameReader> OpenFrames(const media::TAfficherFichier& entry,
                                                     graphs::FrameReading reading) {
  // Packs and blocks mean something only in DV frames.
  if (!entry.isDV) throw CommandSkipped(resources::Fill(resources::Text::kNoDvVideo, {entry.fullName}));
  std::unique_ptr<graphs::SceneFrameReader> reader;
  try {
    reader = std::make_unique<graphs::SceneFrameReader>(entry.fullName, reading);
  } catch (const graphs::NothingToScan& reason) {
    throw CommandSkipped(reason.what());
  }
  if (reader->FrameCount() == 0) throw CommandSkipped(entry.fullName + " holds no frames");
  return reader;
}

// Runs the scene scan with `frames` seeing every frame. A fresh detector:
// the scene starts the log shows are those of this file alone.
void ScanEveryFrame(graphs::SceneFrameReader& reader, const media::TAfficherFichier& entry,
                    SceneScanServices& scenes, graphs::FrameSink frames) {
  const BusyMark busy(scenes.setBusy);
  graphs::SceneDetector detector;
  detector.Begin(entry.datecode, entry.timecodeText);
  graphs::SceneScanJob job(reader, detector, [](const graphs::DetectedScene&) {}, scenes.abort, std::move(frames));
  RunScan(job, reader.FrameCount(), scenes);
  if (job.End() == graphs::SceneScanEnd::kCompleted) scenes.host.SetGauge(100);
}

void WriteText(media::AtomicOutput& output, std::uint64_t& end, const std::string& text) {
  output.File().WriteAt(end, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  end += text.size();
}

}  // namespace

std::filesystem::path SubtitlesPath(const media::TAfficherFichier& entry, const settings::Preferences& preferences) {
  return CompanionOutputPath(entry.fullName, kSubtitlesSuffix, preferences);
}

std::filesystem::path FrameLogPath(const media::TAfficherFichier& entry, const settings::Preferences& preferences) {
  return CompanionOutputPath(entry.fullName, kFrameLogSuffix, preferences);
}

std::string SubtitlesConfirmation(const media::TAfficherFichier& entry, const FrameExportServices& services) {
  return ReplaceQuestion(SubtitlesPath(entry, services.preferences));
}

std::string FrameLogConfirmation(const media::TAfficherFichier& entry, const FrameExportServices& services) {
  return ReplaceQuestion(FrameLogPath(entry, services.preferences));
}

void SubtitlesFileCondition(const media::TAfficherFichier& entry, bool& /*visible*/, bool& enabled) {
  enabled = entry.isDV && entry.datecode.has_value();
}

void FrameLogFileCondition(const media::TAfficherFichier& entry, bool& /*visible*/, bool& enabled) {
  enabled = entry.isDV;
}

TchUpdateType SubtitlesExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                                 FrameExportServices& services) {
  newfichier = entry.fullName;
  const std::unique_ptr<graphs::SceneFrameReader> reader = OpenFrames(entry, graphs::FrameReading::kPacks);
  const std::filesystem::path path = SubtitlesPath(entry, services.preferences);
  const bool existed = RunOutputs::Occupied(path);
  media::AtomicOutput output(path, entry.fullName);
  graphs::DatecodeCueBuilder cues;
  ScanEveryFrame(*reader, entry, services.scenes, [&cues](const graphs::ScannedFrame& frame) {
    if (frame.read) cues.Add(static_cast<std::int64_t>(frame.frame), frame.packs.datecode);
  });
  std::uint64_t end = 0;
  WriteText(output, end, graphs::SrtText(cues.Finish(), reader->Rate(), services.scenes.datecodeFormat));
  output.Commit();
  Outputs().Wrote(path, existed);
  return utNone;
}

TchUpdateType FrameLogExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                                FrameExportServices& services) {
  newfichier = entry.fullName;
  const std::unique_ptr<graphs::SceneFrameReader> reader = OpenFrames(entry, graphs::FrameReading::kWholeFrame);
  const std::filesystem::path path = FrameLogPath(entry, services.preferences);
  const bool existed = RunOutputs::Occupied(path);
  media::AtomicOutput output(path, entry.fullName);
  graphs::FrameLogFormatter log(reader->Rate(), graphs::FrameLogStyle::kCsv);
  std::string pending = log.Header();
  std::uint64_t end = 0;
  ScanEveryFrame(*reader, entry, services.scenes, [&](const graphs::ScannedFrame& frame) {
    log.Append(frame, pending);
    if (pending.size() < kWriteChunkBytes) return;
    WriteText(output, end, pending);
    pending.clear();
  });
  WriteText(output, end, pending);
  output.Commit();
  Outputs().Wrote(path, existed);
  return utNone;
}

}  // namespace korvid::commands
