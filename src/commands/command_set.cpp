#include "commands/command_set.h"

#include "commands/action_binding.h"

namespace korvid::commands {

CommandSet::CommandSet() { ApplyActionTexts(ch); }

void CommandSet::RegisterBuiltIns(const TchServices& services) {
  BindBuiltInHandlers(ch, services);
  RegisterBuiltInActions(ch, registry);
}

void CommandSet::BindToWindow(const settings::Preferences& preferences) {
  BindFileActions(registry, actions, menu);
  commandList = BuildCommandList(actions);
  switches = BuildSwitchTable(actions, commandList, registry);
  RestoreCommandChoices(preferences.actions, actions, commandList);
  ApplyFrameGrabber(preferences.frameGrabProgram, actions, commandList);
}

}  // namespace korvid::commands
