#pragma once
// Everything the window holds for its commands: the built-in file actions,
// the registry of every file action, the window's actions and menu as
// data, the Settings command list and the command-line switch table.
// Built in two steps so that the plug-ins' actions can be registered
// between them.

#include "commands/builtin_actions.h"
#include "commands/command_line.h"
#include "commands/command_list.h"
#include "commands/file_action_registry.h"
#include "commands/window_actions.h"
#include "settings/preferences.h"

namespace korvid::commands {

struct CommandSet {
  // The built-in actions with their English texts; nothing registered yet.
  CommandSet();
  CommandSet(const CommandSet&) = delete;
  CommandSet& operator=(const CommandSet&) = delete;

  // Binds the built-in actions' handlers to what `services` can serve and
  // registers them, first of all actions.
  void RegisterBuiltIns(const TchServices& services);

  // After every file action is registered: binds them to the window's
  // actions and menu, builds the command list and the switch table, then
  // restores the user's command choices and the frame-grabber command.
  // The table comes before the choices, so that an unchecked command still
  // answers to its switch.
  void BindToWindow(const settings::Preferences& preferences);

  Tch ch;
  FileActionRegistry registry;
  ActionList actions = MainWindowActions();
  MainMenu menu = MainWindowMenu();
  CommandList commandList;
  SwitchTable switches;
};

}  // namespace korvid::commands
