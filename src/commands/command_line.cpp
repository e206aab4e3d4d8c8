#include "commands/command_line.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>

#include "commands/action_binding.h"
#include "commands/builtin_actions.h"
#include "commands/file_action_skips.h"
#include "media/video_record.h"
#include "resources/string_table.h"

namespace korvid::commands {
namespace {

struct FixedSwitch {
  std::string_view caption;
  std::string_view letter;
};
const FixedSwitch kFixedSwitches[] = {{resources::Str(resources::Text::kSwitchCloseAfterCommands), "c"},
                                      {resources::Str(resources::Text::kSwitchHideWindow), "h"},
                                      {resources::Str(resources::Text::kSwitchNoConfirmation), "m"},
                                      {resources::Str(resources::Text::kSwitchHelp), "?"}};

// Makes the entry the one current and selected entry, as a click would.
void MakeSoleSelection(list::VideoList& list, int index) {
  for (const int selected : list.SelectedIndexes()) list.SetSelected(selected, false);
  list.SetFocus(index);
  list.SetSelected(index, true);
  list.CurrentEntryChanged();
}

bool PassesCondition(const tFileAction* fileAction, const media::TAfficherFichier& entry) {
  if (fileAction == nullptr || !fileAction->OnFileCondition) return true;
  bool visible = true, enabled = true;
  fileAction->OnFileCondition(fileAction->Param, entry, visible, enabled);
  return enabled;
}

// A run that ended well, from what the execution told the list. `written`:
// what the command wrote; a file it added to the list without telling (a
// plug-in's), when not listed before, counts as made.
SwitchStep Done(const std::string& caption, const FileOutcome& outcome, bool addedWasListed,
                std::vector<WrittenOutput> written) {
  SwitchStep step{caption, outcome.file, SwitchStep::Outcome::kDone, {}, {}};
  switch (outcome.update) {
    case utDelete: step.outcome = SwitchStep::Outcome::kRemoved; return step;
    case utRename:
      step.outcome = SwitchStep::Outcome::kRenamed;
      step.detail = outcome.newPath;
      return step;
    case utAdd: {
      const std::filesystem::path added = std::filesystem::path(outcome.newPath).lexically_normal();
      const bool told = std::any_of(written.begin(), written.end(), [&added](const WrittenOutput& output) {
        return std::filesystem::path(output.path).lexically_normal() == added;
      });
      if (!told && !addedWasListed && outcome.newPath != outcome.file) written.push_back({outcome.newPath, false});
      break;
    }
    case utModify:
    case utNone: break;
  }
  step.written = std::move(written);
  return step;
}

// What the runner said about `path`, when it said anything.
SwitchStep Told(const std::string& caption, const std::string& path, const FileOutcome& outcome) {
  const bool failed = outcome.kind == FileOutcome::Kind::kFailed;
  return {caption, path, failed ? SwitchStep::Outcome::kFailed : SwitchStep::Outcome::kSkipped, outcome.text, {}};
}

void RunOneFile(const WindowAction& action, const std::string& path, bool deletes, SwitchRun& run) {
  std::optional<FileOutcome> told;
  bool addedWasListed = false;
  const auto previous = run.context.told;
  run.context.told = [&](const FileOutcome& outcome) {
    if (outcome.file == path) {
      told = outcome;
      addedWasListed = outcome.update == utAdd && run.context.list.FindEntry(outcome.newPath) >= 0;
    }
    if (previous) previous(outcome);
  };
  const std::size_t firstWritten = Outputs().Written().size();
  try {
    TriggerAction(action, run.registry, run.context);
  } catch (...) {
    run.context.told = previous;
    throw;
  }
  run.context.told = previous;
  const bool leftAlone = told && told->kind != FileOutcome::Kind::kDone;
  // No word from the runner: the command ran without reaching the list.
  if (!told) told.emplace().file = path;
  SwitchStep step = leftAlone ? Told(action.caption, path, *told)
                              : Done(action.caption, *told, addedWasListed,
                                     {Outputs().Written().begin() + static_cast<std::ptrdiff_t>(firstWritten),
                                      Outputs().Written().end()});
  if (step.outcome == SwitchStep::Outcome::kRemoved && deletes) step.outcome = SwitchStep::Outcome::kTrashed;
  if (step.outcome == SwitchStep::Outcome::kRenamed && run.named.contains(path)) run.named.insert(step.detail);
  if (run.report) run.report(step);
}

void RunOneSwitch(const WindowAction& action, SwitchRun& run) {
  list::VideoList& list = run.context.list;
  const tFileAction* fileAction = FindFileAction(action.name, run.registry);
  const bool deletes = fileAction != nullptr && DeletesFiles(fileAction->Name());
  // Only the files listed now take part, each once, however the list changes.
  std::vector<list::EntryId> captured;
  for (int i = 0; i < list.Count(); ++i) captured.push_back(list.Entry(i).id);
  for (const list::EntryId id : captured) {
    if (run.context.flags.Stopping()) return;
    const int index = list.IndexOfId(id);
    if (index < 0) continue;
    const std::string path = list.Entry(index).record->fullName;
    MakeSoleSelection(list, index);
    std::string skipped;
    if (deletes && !run.named.contains(path))
      skipped = resources::Str(resources::Text::kSkipFoundByScan);
    else if (!PassesCondition(fileAction, *list.Entry(index).record))
      skipped = ConditionFailedText(fileAction->Name());
    if (!skipped.empty()) {
      if (run.report) run.report({action.caption, path, SwitchStep::Outcome::kSkipped, skipped, {}});
      continue;
    }
    RunOneFile(action, path, deletes, run);
  }
}

}  // namespace

std::string UnknownSwitchLetter(std::string_view parameter, const SwitchTable& table) {
  const std::string lower = media::AsciiLower(parameter);
  std::vector<bool> counted(lower.size(), false);
  const auto mark = [&](std::string_view text) {
    if (text.empty()) return;
    for (std::size_t at = lower.find(text, 1); at != std::string::npos; at = lower.find(text, at + 1))
      std::fill(counted.begin() + static_cast<std::ptrdiff_t>(at),
                counted.begin() + static_cast<std::ptrdiff_t>(at + text.size()), true);
  };
  for (const SwitchEntry& entry : table) mark(entry.switchText);
  for (const FixedSwitch& fixed : kFixedSwitches) mark(fixed.letter);
  for (std::size_t i = 1; i < lower.size(); ++i)
    if (!counted[i]) return std::string(1, parameter[i]);
  return {};
}

std::string SwitchTakenFault(std::string_view switchText, const FileActionRegistry& registry) {
  using resources::Fill;
  using resources::Text;
  const std::string text = media::AsciiLower(switchText);
  if (text.empty()) return {};
  for (const FixedSwitch& fixed : kFixedSwitches)
    if (text.find(fixed.letter) != std::string::npos) return Fill(Text::kSwitchHoldsFixedLetter, {fixed.letter, fixed.caption});
  for (const std::string_view prefix : {"+", "/"})
    if (text.find(prefix) != std::string::npos) return Fill(Text::kSwitchHoldsPrefix, {prefix});
  for (int i = 0; i < registry.Count(); ++i) {
    const tFileAction& other = registry.At(i);
    const std::string taken = other.Switch();
    if (taken.empty() || (text.find(taken) == std::string::npos && taken.find(text) == std::string::npos)) continue;
    std::string_view caption = other.Caption.empty() ? other.Name() : other.Caption;
    while (!caption.empty() && caption.back() == ' ') caption.remove_suffix(1);
    return Fill(Text::kSwitchTaken, {caption, taken});
  }
  return {};
}

SwitchTable BuildSwitchTable(const ActionList& actions, const CommandList& list,
                             const FileActionRegistry& registry) {
  SwitchTable table;
  for (const WindowAction& action : actions) {
    if (action.Tag < 0 || !list.Checked(action.Tag)) continue;
    const tFileAction* fileAction = FindFileAction(action.name, registry);
    if (fileAction == nullptr || fileAction->Switch().empty()) continue;
    if (!fileAction->OnExecution || !GenerallyAvailable(*fileAction)) continue;
    table.push_back({fileAction->Switch(), action.name});
  }
  return table;
}

std::vector<CommandLineRow> CommandLineRows(const SwitchTable& table, const ActionList& actions) {
  std::vector<std::string> texts;
  for (const SwitchEntry& entry : table) {
    const WindowAction* action = actions.Find(entry.actionName);
    if (action != nullptr && !action->caption.empty()) texts.push_back(action->caption + "= +" + entry.switchText);
  }
  for (const FixedSwitch& fixed : kFixedSwitches)
    texts.push_back(std::string(fixed.caption) + "= +" + std::string(fixed.letter));
  std::sort(texts.begin(), texts.end(), [](const std::string& a, const std::string& b) { return media::AsciiLower(a) < media::AsciiLower(b); });
  texts.erase(std::unique(texts.begin(), texts.end(),
                          [](const std::string& a, const std::string& b) { return media::AsciiLower(a) == media::AsciiLower(b); }),
              texts.end());
  std::vector<CommandLineRow> rows;
  for (const std::string& text : texts) {
    const std::size_t equals = text.find('=');
    const std::size_t key = text.find_first_not_of(' ', equals + 1);
    rows.push_back({text.substr(0, equals), key == std::string::npos ? std::string() : text.substr(key)});
  }
  return rows;
}

void TriggerAction(const WindowAction& action, const FileActionRegistry& registry, RunContext& context) {
  switch (action.handler) {
    case ExecuteHandler::kNone: return;
    case ExecuteHandler::kWindow:
      if (action.onExecute) action.onExecute();
      return;
    case ExecuteHandler::kBoundAction:
      RunBoundAction(action.name, action.category, registry, context);
      return;
    case ExecuteHandler::kBuiltInRunner: break;
  }
  const tFileAction* fileAction = FindFileAction(action.name, registry);
  if (fileAction == nullptr) return;
  switch (BuiltInRunner(fileAction->Name())) {
    case ActionRunner::kCurrentEntry: RunOnCurrentEntry(fileAction, context); break;
    case ActionRunner::kSelection: RunOnSelection(fileAction, context); break;
    case ActionRunner::kSelectionLocked: RunOnSelectionLocked(fileAction, context); break;
  }
}

void RunSwitches(const std::vector<std::string>& parameters, const SwitchTable& table, SwitchRun& run) {
  const RunOutputs::Scope outputs(Outputs());
  for (const std::string& parameter : parameters) {
    if (!IsSwitchParameter(parameter)) continue;
    for (const SwitchEntry& entry : table) {
      if (!SwitchHas(parameter, entry.switchText)) continue;
      const WindowAction* action = run.actions.Find(entry.actionName);
      if (action != nullptr) RunOneSwitch(*action, run);
    }
  }
}

}  // namespace korvid::commands
