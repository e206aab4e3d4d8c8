#include "commands/runners.h"

#include <filesystem>
#include <vector>

#include "commands/command_skipped.h"
#include "commands/file_action_skips.h"
#include "commands/run_outputs.h"
#include "resources/string_table.h"
#include "resources/user_error.h"

namespace korvid::commands {
namespace {

void Tell(RunContext& context, const media::TAfficherFichier* entry, FileOutcome::Kind kind, std::string text) {
  if (context.told) context.told({entry != nullptr ? entry->fullName : std::string(), kind, std::move(text), utNone, {}});
}

void TellDeclined(RunContext& context, const media::TAfficherFichier* entry) {
  Tell(context, entry, FileOutcome::Kind::kSkipped, std::string(resources::Str(resources::Text::kSkipAnsweredNo)));
}

enum class Verdict { kRun, kRunAll, kSkip, kCancel };

// The record handed to handlers of commands that run without any file.
const media::TAfficherFichier& NoEntry() {
  static const media::TAfficherFichier empty;
  return empty;
}

Verdict Confirm(const tFileAction& action, const media::TAfficherFichier* entry, RunContext& context,
                bool offerAll) {
  if (!action.OnConfirmation || context.flags.NoConfirmation) return Verdict::kRun;
  std::string question;
  action.OnConfirmation(action.Param, entry != nullptr ? *entry : NoEntry(), question);
  if (question.empty()) return Verdict::kRun;
  if (offerAll) question += "\r\n" + std::string(kAllAnswerLine);
  const Answer answer =
      context.host.Ask(MessageKind::kWarning, question, offerAll ? Buttons::kYesNoCancelAll : Buttons::kYesNo);
  switch (answer) {
    case Answer::kNo: return Verdict::kSkip;
    case Answer::kCancel: return offerAll ? Verdict::kCancel : Verdict::kSkip;
    case Answer::kAll: return Verdict::kRunAll;
    case Answer::kYes:
    case Answer::kOk: break;
  }
  return Verdict::kRun;
}

struct SelectionStyle {
  bool locked = false;  // RunOnSelectionLocked
  bool bound = false;   // the selection run of RunBoundAction
};

void RunOverSelection(const tFileAction& action, RunContext& context, SelectionStyle style) {
  list::VideoList& list = context.list;
  const std::vector<int> selected = list.SelectedIndexes();
  if (selected.empty()) return;

  std::vector<list::EntryId> captured;
  captured.reserve(selected.size());
  for (const int index : selected) captured.push_back(list.Entry(index).id);
  const bool offerAll = captured.size() >= 2;

  const auto finish = [&] {
    context.host.SetListEnabled(true);
    if (style.locked && context.lockListCommands) context.lockListCommands(false);
    if (style.bound) context.host.RetakePlayerFile();
    list.CurrentEntryChanged();
    context.flags.AbortAll = false;
    if (!style.locked) context.flags.AbortCommand = false;
  };

  if (style.locked && context.lockListCommands) context.lockListCommands(true);
  if (style.bound) context.host.ReleasePlayerFile();
  context.host.SetListEnabled(false);
  list.DeselectAll();

  try {
    bool allConfirmed = false;
    for (const list::EntryId id : captured) {
      if (style.bound) {
        context.host.ProcessEvents(0);
        if (context.flags.AbortCommand) break;
      }
      const int index = list.IndexOfId(id);
      if (index < 0) continue;
      list.SetFocus(index);
      list.SetSelected(index, true);
      if (style.locked) list.CurrentEntryChanged();
      context.host.ProcessEvents(0);
      if (context.flags.AbortCommand || context.flags.Stopping()) break;
      if (!style.locked) list.RefreshListStatus();
      // Events may have changed the list meanwhile.
      const int now = list.IndexOfId(id);
      if (now < 0) continue;
      const media::TAfficherFichier* record = list.Entry(now).record.get();

      if (action.OnFileCondition) {
        bool visible = true, enabled = true;
        action.OnFileCondition(action.Param, *record, visible, enabled);
        if (!enabled) {
          Tell(context, record, FileOutcome::Kind::kSkipped, ConditionFailedText(action.Name()));
          continue;
        }
      }
      if (!allConfirmed) {
        const Verdict verdict = Confirm(action, record, context, offerAll);
        if (verdict == Verdict::kCancel) break;
        if (verdict == Verdict::kSkip) {
          TellDeclined(context, record);
          continue;
        }
        allConfirmed = verdict == Verdict::kRunAll;
      }
      ExecuteOnEntry(action, record, context);
      context.flags.AbortCommand = false;
      if (context.flags.AbortAll) break;
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

// The end of every run on one entry.
void FinishSingleRun(RunContext& context, bool fullRefresh) {
  if (fullRefresh) {
    context.list.CurrentEntryChanged();
  } else {
    context.list.RefreshListStatus();
    context.list.View().RefreshActions();
  }
  context.flags.ClearAborts();
}

void RunSingle(const tFileAction& action, const media::TAfficherFichier* entry, RunContext& context,
               bool fullRefresh) {
  try {
    if (Confirm(action, entry, context, false) != Verdict::kSkip)
      ExecuteOnEntry(action, entry, context);
    else
      TellDeclined(context, entry);
  } catch (...) {
    FinishSingleRun(context, fullRefresh);
    throw;
  }
  FinishSingleRun(context, fullRefresh);
}

// Holds CommandRunning for the length of a run; refused when another run
// already holds it. A run's outputs never replace one another.
class OneRunAtATime {
 public:
  explicit OneRunAtATime(ProcessFlags& flags)
      : flags_(flags), refused_(flags.CommandRunning.exchange(true)), outputs_(Outputs()) {}
  ~OneRunAtATime() {
    if (!refused_) flags_.CommandRunning = false;
  }
  OneRunAtATime(const OneRunAtATime&) = delete;
  OneRunAtATime& operator=(const OneRunAtATime&) = delete;
  bool Refused() const { return refused_; }

 private:
  ProcessFlags& flags_;
  bool refused_;
  RunOutputs::Scope outputs_;
};

}  // namespace

std::string FormatMonoMessage(std::string_view monoMessage, std::string_view name) {
  std::string out;
  bool replaced = false;
  for (std::size_t i = 0; i < monoMessage.size(); ++i) {
    if (monoMessage[i] == '%' && i + 1 < monoMessage.size()) {
      const char next = monoMessage[i + 1];
      if (next == 's' && !replaced) {
        out += name;
        replaced = true;
        ++i;
        continue;
      }
      if (next == '%') {
        out += '%';
        ++i;
        continue;
      }
    }
    out += monoMessage[i];
  }
  return out;
}

void ExecuteOnEntry(const tFileAction& action, const media::TAfficherFichier* entry, RunContext& context) {
  const bool showProgress = !action.MonoMessage.empty();
  GaugeShown gauge(context.host, context.progressTimer, showProgress);
  if (showProgress) context.host.SetStatusText(FormatMonoMessage(action.MonoMessage, entry ? entry->name : ""));
  if (!action.OnExecution) return;

  const int before = entry != nullptr ? context.list.FindEntry(entry->fullName) : -1;
  const list::EntryId id = before >= 0 ? context.list.Entry(before).id : 0;
  std::string newfichier;
  TchUpdateType update = utNone;
  const TParam param = action.Param;
  try {
    action.OnExecution(param, entry != nullptr ? *entry : NoEntry(), newfichier, update);
  } catch (const CommandSkipped& skipped) {
    Tell(context, entry, FileOutcome::Kind::kSkipped, skipped.what());
    return;
  } catch (const UserError& error) {
    // A file gone from the disk since it was listed is no fault of the
    // command: the status bar says so and the entry stays as it is.
    std::error_code missing;
    if (entry != nullptr && !std::filesystem::exists(entry->fullName, missing))
      context.host.ShowNote(error.what());
    else
      context.host.Ask(MessageKind::kError, error.what(), Buttons::kOk);
    Tell(context, entry, FileOutcome::Kind::kFailed, error.what());
    return;
  }
  if (context.told) {
    const bool named = update == utAdd || update == utRename;
    context.told({entry != nullptr ? entry->fullName : std::string(), FileOutcome::Kind::kDone, {}, update,
                  named ? list::FullPathOf(newfichier) : std::string()});
  }
  switch (update) {
    case utAdd:
    case utDelete:
    case utModify:
    case utRename: context.list.ApplyUpdate(update, context.list.IndexOfId(id), newfichier); break;
    case utNone: break;
  }
}

void RunOnCurrentEntry(const tFileAction* action, RunContext& context) {
  const OneRunAtATime run(context.flags);
  if (run.Refused() || action == nullptr || context.list.SelectedCount() == 0) return;
  const media::TAfficherFichier* current = context.list.Current();
  if (current == nullptr) return;
  RunSingle(*action, current, context, false);
}

void RunOnSelection(const tFileAction* action, RunContext& context) {
  const OneRunAtATime run(context.flags);
  if (!run.Refused() && action != nullptr) RunOverSelection(*action, context, {});
}

void RunOnSelectionLocked(const tFileAction* action, RunContext& context) {
  const OneRunAtATime run(context.flags);
  if (!run.Refused() && action != nullptr) RunOverSelection(*action, context, {.locked = true});
}

void RunBoundAction(std::string_view windowActionName, std::string_view category,
                    const FileActionRegistry& registry, RunContext& context) {
  const OneRunAtATime run(context.flags);
  const tFileAction* action = FindFileAction(windowActionName, registry);
  if (run.Refused() || action == nullptr || category == "liste") return;
  const int selected = context.list.SelectedCount();
  if (selected == 0 && category != "vide" && category != "permanent") return;
  if (selected > 1 && category != "mono") {
    RunOverSelection(*action, context, {.bound = true});
    return;
  }
  RunSingle(*action, context.list.Current(), context, true);
}

}  // namespace korvid::commands
