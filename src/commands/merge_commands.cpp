#include "commands/merge_commands.h"

#include "commands/job_runner.h"
#include "commands/run_outputs.h"
#include "graphs/merge_job.h"
#include "resources/string_table.h"

namespace korvid::commands {

bool CanMergeSelection(const std::vector<const media::TAfficherFichier*>& selection) {
  if (selection.size() < 2) return false;
  for (const media::TAfficherFichier* entry : selection)
    if (entry == nullptr || !entry->isDV) return false;
  return true;
}

std::optional<std::filesystem::path> MergeSelectedCaptures(const std::vector<std::filesystem::path>& captures,
                                                           ConversionServices& services) {
  if (captures.empty()) return std::nullopt;
  const std::filesystem::path output = ConversionOutputPath(captures.front(), kMergedSuffix, services.preferences);
  graphs::MergeJob job(captures, {.output = output});
  const JobTick tick = ConversionTick(services.host, services.timer, job.Duration());
  job.SetStage(graphs::MergeStage::kLineUp);
  RunJob(job, services.host, services.flags.AbortCommand, services.timer.interval_ms, tick);
  if (services.flags.AbortCommand.load()) return std::nullopt;
  std::string question = job.PlanReport() + "\nWrite " + output.filename().string() + "?";
  if (const std::string replace = ReplaceQuestion(output); !replace.empty()) question += "\n" + replace;
  if (services.host.Ask(MessageKind::kInformation, question, Buttons::kYesNo) != Answer::kYes) return std::nullopt;
  const bool existed = RunOutputs::Occupied(output);
  job.SetStage(graphs::MergeStage::kMerge);
  RunJob(job, services.host, services.flags.AbortCommand, services.timer.interval_ms, tick);
  if (!job.Completed()) return std::nullopt;
  Outputs().Wrote(output, existed);
  return output;
}

void MergeSelectedEntries(RunContext& context, ConversionServices& services) {
  std::vector<const media::TAfficherFichier*> selected;
  std::vector<std::filesystem::path> captures;
  for (const int index : context.list.SelectedIndexes()) {
    const media::TAfficherFichier* record = context.list.Entry(index).record.get();
    selected.push_back(record);
    if (record != nullptr) captures.emplace_back(record->fullName);
  }
  if (!CanMergeSelection(selected)) {
    context.host.Ask(MessageKind::kWarning, std::string(resources::Str(resources::Text::kMergeNeedsCaptures)),
                     Buttons::kOk);
    return;
  }
  if (context.lockListCommands) context.lockListCommands(true);
  std::optional<std::filesystem::path> merged;
  try {
    GaugeShown gauge(context.host, &services.timer, true);
    context.host.SetStatusText(std::string(resources::Str(resources::Text::kMergingCaptures)));
    merged = MergeSelectedCaptures(captures, services);
  } catch (const UserError& error) {
    context.host.Ask(MessageKind::kError, error.what(), Buttons::kOk);
  }
  if (context.lockListCommands) context.lockListCommands(false);
  context.host.SetStatusText({});
  if (merged) context.list.AddFile(merged->string());
}

}  // namespace korvid::commands
