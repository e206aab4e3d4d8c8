#include "commands/command_line.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <utility>

#include "commands/action_binding.h"
#include "commands/builtin_actions.h"
#include "commands/file_action_skips.h"
#include "media/video_record.h"
#include "resources/string_table.h"

namespace korvid::commands {
namespace {

// Anything at all, a dangling link included.
bool Exists(std::string_view path) {
  struct stat facts {};
  return ::lstat(std::string(path).c_str(), &facts) == 0;
}

constexpr std::string_view kHelpParameter = "/?";

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
  list.SelectOnly(index);
  list.SetFocus(index);
  list.CurrentEntryChanged();
}

// The paths a command added to the list, in list order: listed now and not
// before, as the list's log of paths entering and leaving it tells. Only
// the paths that changed are looked at, so each file costs the same
// whatever the list's length.
std::vector<std::string> AddedPaths(const list::VideoList& list, const std::vector<list::VideoList::PathChange>& changes) {
  std::map<std::string, int> delta;
  for (const list::VideoList::PathChange& change : changes) delta[change.path] += change.delta;
  std::vector<std::pair<int, std::string>> added;
  for (const auto& [path, change] : delta) {
    // Listed now, and none of its entries there before.
    if (change <= 0 || list.EntriesOfPath(path) != change) continue;
    added.emplace_back(list.FindEntry(path), path);
  }
  std::sort(added.begin(), added.end());
  std::vector<std::string> paths;
  for (auto& [index, path] : added) paths.push_back(std::move(path));
  return paths;
}

bool PassesCondition(const tFileAction* fileAction, const media::TAfficherFichier& entry) {
  if (fileAction == nullptr || !fileAction->OnFileCondition) return true;
  bool visible = true, enabled = true;
  fileAction->OnFileCondition(fileAction->Param, entry, visible, enabled);
  return enabled;
}

// `written`: what the command wrote; a file it added to the list without
// telling (a plug-in's) counts as made.
SwitchStep Outcome(const std::string& caption, const std::string& file, const list::VideoList& list,
                   const std::vector<std::string>& added, std::vector<WrittenOutput> written) {
  SwitchStep step{caption, file, SwitchStep::Outcome::kDone, {}, {}};
  if (list.FindEntry(file) >= 0) {
    for (const std::string& path : added) {
      const bool told = std::any_of(written.begin(), written.end(), [&path](const WrittenOutput& output) {
        return std::filesystem::path(output.path).lexically_normal() == std::filesystem::path(path).lexically_normal();
      });
      if (!told) written.push_back({path, false});
    }
    step.written = std::move(written);
    return step;
  }
  step.outcome = added.size() == 1 ? SwitchStep::Outcome::kRenamed : SwitchStep::Outcome::kRemoved;
  if (added.size() == 1) step.detail = added.front();
  return step;
}

// What the runner said about `path`, when it said anything.
SwitchStep Told(const std::string& caption, const std::string& path, const FileOutcome& outcome) {
  const bool failed = outcome.kind == FileOutcome::Kind::kFailed;
  return {caption, path, failed ? SwitchStep::Outcome::kFailed : SwitchStep::Outcome::kSkipped, outcome.text, {}};
}

void RunOneFile(const WindowAction& action, const std::string& path, bool deletes, SwitchRun& run) {
  std::optional<FileOutcome> told;
  const auto previous = run.context.told;
  run.context.told = [&told, &path, &previous](const FileOutcome& outcome) {
    if (outcome.file == path) told = outcome;
    if (previous) previous(outcome);
  };
  list::VideoList& list = run.context.list;
  const std::size_t firstWritten = Outputs().Written().size();
  list.WatchPaths();
  try {
    TriggerAction(action, run.registry, run.context);
  } catch (...) {
    list.TakePathChanges();
    run.context.told = previous;
    throw;
  }
  const std::vector<list::VideoList::PathChange> changes = list.TakePathChanges();
  run.context.told = previous;
  const bool leftAlone = told && told->kind != FileOutcome::Kind::kDone;
  SwitchStep step = leftAlone ? Told(action.caption, path, *told)
                              : Outcome(action.caption, path, list, AddedPaths(list, changes),
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

bool IsSwitchParameter(std::string_view parameter) {
  if (parameter.empty() || parameter.find('.') != std::string_view::npos || Exists(parameter)) return false;
  return parameter.front() == '+' || parameter == kHelpParameter;
}

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

bool SwitchHas(std::string_view parameter, std::string_view text) {
  return !text.empty() && media::AsciiLower(parameter).find(media::AsciiLower(text)) != std::string::npos;
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

RunKind DecideRunKind(const std::vector<std::string>& parameters) {
  if (parameters.empty()) return RunKind::kNone;
  for (const std::string& parameter : parameters)
    if (IsSwitchParameter(parameter) && SwitchHas(parameter, "h")) return RunKind::kHidden;
  return RunKind::kVisible;
}

VisibleRunPlan ExamineVisibleRun(const std::vector<std::string>& parameters) {
  VisibleRunPlan plan;
  for (const std::string& parameter : parameters) {
    if (!IsSwitchParameter(parameter)) continue;
    if (SwitchHas(parameter, "?")) {
      plan.help = true;
      return plan;
    }
    if (SwitchHas(parameter, "m")) plan.noConfirmation = true;
    if (SwitchHas(parameter, "c")) plan.closeAfterCommands = true;
  }
  return plan;
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
