#include "commands/contact_sheet_commands.h"

#include <optional>
#include <utility>

#include "commands/command_skipped.h"
#include "commands/conversion_commands.h"
#include "commands/run_outputs.h"
#include "graphs/codec_jobs.h"
#include "graphs/scene_scan.h"
#include "graphs/scene_survey.h"
#include "graphs/sheet_pages.h"
#include "resources/string_table.h"

namespace korvid::commands {

std::filesystem::path ContactSheetPath(const media::TAfficherFichier& entry, const settings::Preferences& preferences) {
  return CompanionOutputPath(entry.fullName, kContactSheetSuffix, preferences);
}

std::string ContactSheetConfirmation(const media::TAfficherFichier& entry, const FrameExportServices& services) {
  return ReplaceQuestion(ContactSheetPath(entry, services.preferences));
}

void ContactSheetFileCondition(const media::TAfficherFichier& entry, bool& /*visible*/, bool& enabled) {
  enabled = entry.isDV;
}

std::vector<std::filesystem::path> MakeContactSheet(const media::TAfficherFichier& entry, int columns,
                                                    FrameExportServices& services) {
  if (!entry.isDV) throw CommandSkipped(resources::Fill(resources::Text::kNoDvVideo, {entry.fullName}));
  std::optional<graphs::SceneFrameReader> reader;
  try {
    reader.emplace(entry.fullName, graphs::FrameReading::kWholeFrame);
  } catch (const graphs::NothingToScan& reason) {
    throw CommandSkipped(reason.what());
  }
  if (reader->FrameCount() == 0) throw CommandSkipped(entry.fullName + " holds no frames");

  SceneScanServices& scenes = services.scenes;
  const BusyMark busy(scenes.setBusy);
  // A fresh detector: the sheet's scenes are those of this file alone.
  graphs::SceneDetector detector;
  detector.Begin(entry.datecode, entry.timecodeText);
  graphs::SceneSurveyBuilder survey(reader->FrameCount(), reader->Rate(), reader->FileSound());
  graphs::SceneScanJob job(
      *reader, detector, [&survey](const graphs::DetectedScene& scene) { survey.AddScene(scene); }, scenes.abort,
      [&survey](const graphs::ScannedFrame& frame) { survey.AddFrame(frame); });
  RunScan(job, reader->FrameCount(), scenes);
  if (job.End() != graphs::SceneScanEnd::kCompleted) return {};
  const graphs::SceneSurvey surveyed =
      survey.Finish(detector.Finish(static_cast<std::int32_t>(reader->FrameCount() - 1)));

  const std::unique_ptr<graphs::DrawnSheet> sheet = graphs::Codecs().DrawSheet(
      {surveyed, *reader, scenes.datecodeFormat, std::filesystem::path(entry.fullName).filename().string(), columns,
       scenes.abort});
  if (sheet == nullptr) return {};
  const std::filesystem::path first = ContactSheetPath(entry, services.preferences);
  std::vector<bool> existed;
  for (std::size_t page = 1; page <= sheet->PageCount(); ++page)
    existed.push_back(RunOutputs::Occupied(graphs::SheetPagePath(first, page)));
  const std::vector<std::filesystem::path> written = sheet->Write(first, entry.fullName);
  for (std::size_t page = 0; page < written.size(); ++page) Outputs().Wrote(written[page], existed[page]);
  scenes.host.SetGauge(100);
  return written;
}

TchUpdateType ContactSheetExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                                    FrameExportServices& services) {
  newfichier = entry.fullName;
  MakeContactSheet(entry, graphs::kDefaultSheetColumns, services);
  return utNone;
}

}  // namespace korvid::commands
