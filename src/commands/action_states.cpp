#include "commands/action_states.h"

namespace korvid::commands {
namespace {

struct State {
  bool visible;
  bool enabled;
};

const tFileAction* ConditionOf(const WindowAction& action, const RefreshInput& input) {
  if (input.registry == nullptr) return nullptr;
  const tFileAction* fileAction = FindFileAction(action.name, *input.registry);
  return fileAction != nullptr && fileAction->OnFileCondition ? fileAction : nullptr;
}

// A "multi" command is offered when its condition holds for any selected
// file: the first file for which it does ends the search.
State OverSelection(const tFileAction& fileAction, const list::VideoList& list) {
  State state{false, false};
  list.VisitSelected([&](const list::ListEntry& entry) {
    bool visible = true, enabled = true;
    fileAction.OnFileCondition(fileAction.Param, *entry.record, visible, enabled);
    state.visible = state.visible || visible;
    state.enabled = state.enabled || enabled;
    return !(state.visible && state.enabled);
  });
  return state;
}

void RefreshOne(WindowAction& action, const RefreshInput& input) {
  const bool liste = action.category == kListe;
  const bool multi = action.category == kMulti;
  if (!input.listShown && liste) {
    action.Visible = false;
    return;
  }
  if (!input.listEnabled && (liste || multi)) {
    action.Enabled = false;
    return;
  }
  if (action.Tag < 0 || action.category == kPermanent || action.category == kVide) return;

  const bool offered = input.view.Has(CategoryNumber(action.category));
  State state{offered, offered};
  const tFileAction* condition = ConditionOf(action, input);
  const list::VideoList* list = input.list;
  if (offered && multi) {
    if (condition != nullptr && list != nullptr && list->SelectedCount() > 0) state = OverSelection(*condition, *list);
  } else {
    bool visible = true, enabled = true;
    const media::TAfficherFichier* current = list != nullptr ? list->Current() : nullptr;
    if (condition != nullptr && current != nullptr)
      condition->OnFileCondition(condition->Param, *current, visible, enabled);
    state.visible = state.visible && visible;
    state.enabled = state.visible && enabled;
  }
  const bool checked = input.commandList != nullptr && input.commandList->Checked(action.Tag);
  action.Visible = checked && state.visible;
  action.Enabled = checked && state.enabled;
}

bool ItemVisible(const ActionList& actions, MenuItem& item) {
  if (item.separator) return false;
  if (!item.children.empty()) {
    bool any = false;
    for (MenuItem& child : item.children) any = ItemVisible(actions, child) || any;
    item.Visible = any;
    return any;
  }
  const WindowAction* action = actions.Find(item.actionName);
  item.Visible = action != nullptr && action->Visible;
  return item.Visible;
}

}  // namespace

ViewState CategoriesOf(list::ViewState state) {
  switch (state) {
    case list::ViewState::kPanelShown: return {1};
    case list::ViewState::kEmptyList: return {1, 2};
    case list::ViewState::kFewEntries: return {1, 2, 4, 5};
    case list::ViewState::kFull: break;
  }
  return {1, 2, 3, 4, 5};
}

void RefreshMenuVisibility(const ActionList& actions, MainMenu& menu, bool panelShown) {
  for (TopMenu& top : menu) {
    bool any = false;
    for (MenuItem& item : top.items) any = ItemVisible(actions, item) || any;
    top.Visible = any && !panelShown;
  }
}

void RefreshActionStates(ActionList& actions, MainMenu& menu, const RefreshInput& input) {
  for (WindowAction& action : actions) RefreshOne(action, input);
  RefreshMenuVisibility(actions, menu, input.settingsShown || input.aboutShown);
}

}  // namespace korvid::commands
