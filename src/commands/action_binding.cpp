#include "commands/action_binding.h"


#include "media/video_record.h"

namespace korvid::commands {
bool GenerallyAvailable(const tFileAction& fileAction) {
  bool visible = true;
  if (fileAction.OnGeneralCondition) fileAction.OnGeneralCondition(fileAction.Param, visible);
  return visible;
}

namespace {

void CompleteExisting(WindowAction& action, const tFileAction& fileAction) {
  action.Visible = action.Enabled = GenerallyAvailable(fileAction);
  if (action.handler == ExecuteHandler::kNone) action.handler = ExecuteHandler::kBoundAction;
  if (action.shortcut.empty()) action.shortcut = fileAction.Shortcut();
  if (action.caption.empty()) action.caption = fileAction.Caption;
  if (action.category.empty()) action.category = kMulti;
  if (action.image < 0) action.image = kDefaultImage;
}

void CreateForPlugIn(const tFileAction& fileAction, ActionList& actions, MainMenu& menu) {
  WindowAction action;
  action.name = "pm" + fileAction.Name();
  action.category = kMulti;
  action.image = kDefaultImage;
  action.caption = fileAction.Caption;
  action.shortcut = fileAction.Shortcut();
  action.handler = ExecuteHandler::kBoundAction;
  if (fileAction.OnGeneralCondition) action.Visible = action.Enabled = GenerallyAvailable(fileAction);
  const std::string actionName = action.name;
  actions.Append(std::move(action));

  if (fileAction.Tag < 0 || static_cast<std::size_t>(fileAction.Tag) >= menu.size()) return;
  MenuItem item;
  item.name = "mm" + fileAction.Name();
  item.actionName = actionName;
  menu[static_cast<std::size_t>(fileAction.Tag)].items.push_back(std::move(item));
}

}  // namespace

void BindFileActions(const FileActionRegistry& registry, ActionList& actions, MainMenu& menu) {
  for (int i = 0; i < registry.Count(); ++i) {
    tFileAction& fileAction = registry.At(i);
    if (!fileAction.Modele.empty() && !ApplyModele(fileAction, registry)) continue;
    if (WindowAction* action = actions.FindLower("am" + media::AsciiLower(fileAction.Name()))) {
      CompleteExisting(*action, fileAction);
    } else if (!fileAction.Caption.empty()) {
      CreateForPlugIn(fileAction, actions, menu);
    }
  }
}

}  // namespace korvid::commands
