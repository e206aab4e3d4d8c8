#pragma once
// The command list of the Settings panel: one item per offered command,
// checked when the user wants it. Built once after the binding; an
// action's Tag is its item's index (-1 when not listed). The user's choices
// are kept with the preferences as (action name, state) pairs.

#include <string>
#include <string_view>
#include <vector>

#include "commands/file_action_registry.h"
#include "commands/window_actions.h"
#include "settings/preferences.h"

namespace korvid::commands {

struct CommandListItem {
  std::string text;      // caption, then " (shortcut)" when there is one
  std::string shortcut;  // the key shown: empty where another command has it
  std::string actionName;
  bool checked = true;
  bool greyed = false;  // window commands ("af"), never unchecked
};

struct CommandList {
  std::vector<CommandListItem> items;
  // Whether the action with this Tag is checked; false for -1 or unknown.
  bool Checked(int tag) const;
};

// Every action visible now and with a caption, in action order.
CommandList BuildCommandList(ActionList& actions);

// Applies saved choices: a listed action takes the saved check state;
// greyed items stay checked.
void RestoreCommandChoices(const std::vector<settings::ActionChoice>& choices, const ActionList& actions,
                           CommandList& list);
// The pairs to save: -1 not listed, 1 checked, 0 unchecked, in action order.
std::vector<settings::ActionChoice> CollectCommandChoices(const ActionList& actions, const CommandList& list);

// The frame-grabber command: listed and checked only when `program` is an
// existing file, captioned "Open with " + its name without extension.
void ApplyFrameGrabber(const std::string& program, ActionList& actions, CommandList& list);

}  // namespace korvid::commands
