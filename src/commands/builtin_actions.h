#pragma once
// The built-in file actions as one table: each action's texts, shortcut,
// switch, runner, the window command that runs it, and its handlers with
// the services they come from. The holder, the registry, the window's
// action list and the switch table are all made from this table.

#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "commands/clock_correction_commands.h"
#include "commands/command_host.h"
#include "commands/conversion_commands.h"
#include "commands/file_action.h"
#include "commands/file_action_registry.h"
#include "commands/frame_export_commands.h"
#include "commands/header_fix_commands.h"
#include "commands/housekeeping_commands.h"
#include "commands/rename_commands.h"
#include "commands/scene_commands.h"
#include "commands/scene_files.h"
#include "resources/string_table.h"

namespace korvid::commands {

// What the handlers need. A handler whose services are absent stays
// unassigned, so that a window (or a test) binds only what it can serve.
struct TchServices {
  CommandHost* host = nullptr;
  const RenameServices* rename = nullptr;
  HousekeepingServices* housekeeping = nullptr;
  ConversionServices* conversion = nullptr;
  SceneScanServices* scenes = nullptr;
  HeaderFixServices* headerFix = nullptr;
  FrameExportServices* frameExport = nullptr;
  ClockCorrectionServices* clockCorrection = nullptr;
};

// Which runner the window's command uses for a built-in action. Commands
// run on the current entry are "mono" commands, the others "multi".
enum class ActionRunner { kCurrentEntry, kSelection, kSelectionLocked };

// The window's "am" command that runs a built-in action. An empty caption
// or shortcut is the action's own, given when the actions are bound.
struct BuiltInCommand {
  std::string_view name = {};  // "" when the window has no such command
  std::optional<resources::Text> caption = {};
  std::optional<resources::Text> hint = {};
  std::string_view shortcut = {};
};

// Each handler is made from the services; null, or a null result when its
// services are absent, leaves it unassigned.
struct BuiltInHandlers {
  TConfirmationEvent (*confirmation)(const TchServices&) = nullptr;
  TExecutionEvent (*execution)(const TchServices&) = nullptr;
  TFileConditionEvent (*fileCondition)(const TchServices&) = nullptr;
  TGeneralConditionEvent (*generalCondition)(const TchServices&) = nullptr;
};

struct BuiltInAction {
  std::string_view name;
  std::optional<resources::Text> caption;
  std::optional<resources::Text> monoMessage;
  std::string_view shortcut;
  std::string_view switchText;
  ActionRunner runner;
  BuiltInCommand command;
  BuiltInHandlers handlers = {};
  std::string_view modele = {};
};

// The table, in component order (the registry's order).
std::span<const BuiltInAction> BuiltInActions();
// The row whose window command is `commandName` exactly, or null.
const BuiltInAction* BuiltInActionOfCommand(std::string_view commandName);
// The runner of a built-in action by exact name; kSelection for unknown names.
ActionRunner BuiltInRunner(std::string_view name);
// "mono" for commands run on the current entry, "multi" for the others.
std::string_view CategoryOf(ActionRunner runner);

// The holder of the built-in actions, one per row of the table. Not
// copyable: the scene actions' TParam points at the writers it owns.
class Tch {
 public:
  Tch();
  Tch(const Tch&) = delete;
  Tch& operator=(const Tch&) = delete;

  // The action of that exact name; throws std::out_of_range for others.
  tFileAction& Action(std::string_view name);
  // Every action, in table order.
  std::vector<tFileAction>& Components() { return actions_; }

  ScnFileWriter scnWriter;
  SceneTextWriter sceneTextWriter;

 private:
  std::vector<tFileAction> actions_;
};

// Gives the built-in actions their English texts, shortcuts, switches and
// Modele.
void ApplyActionTexts(Tch& ch);

// Assigns the handlers of every built-in action that has them. The player's
// two actions (AfficherDatecode, AfficherSliders) get theirs from the player.
void BindBuiltInHandlers(Tch& ch, const TchServices& services);

// Adds every built-in action to the registry under its lower-cased name,
// in table order.
void RegisterBuiltInActions(Tch& ch, FileActionRegistry& registry);

}  // namespace korvid::commands
