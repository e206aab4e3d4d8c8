#pragma once
// Makes every registered file action reachable from the window: through
// the "am" action of its name, or through a new "pm" action with an "mm"
// item in the top-level menu its Tag names.

#include "commands/file_action_registry.h"
#include "commands/window_actions.h"

namespace korvid::commands {

// Once at start-up, after the plug-ins are loaded. Applies each file
// action's Modele (an action whose Modele names nothing gets no command)
// and asks OnGeneralCondition once. A Tag outside the menus gives the new
// action no menu item; it still has its shortcut and switch.
void BindFileActions(const FileActionRegistry& registry, ActionList& actions, MainMenu& menu);

// The general condition's answer (its components are present), true when
// the action has none.
bool GenerallyAvailable(const tFileAction& fileAction);

}  // namespace korvid::commands
