#pragma once
// What the window shows decides which commands may be used: the view state
// (a set of category numbers), then the refresh pass that sets every
// action's Visible and Enabled from it, the command list's check marks,
// the list's current entry and selection and the file conditions, and the
// top-level menus that have something to show.

#include <bitset>
#include <vector>

#include "commands/command_list.h"
#include "commands/file_action_registry.h"
#include "commands/window_actions.h"
#include "list/list_status.h"
#include "list/video_list.h"

namespace korvid::commands {

class ViewState {
 public:
  ViewState() = default;
  ViewState(std::initializer_list<int> numbers) {
    for (const int n : numbers) Add(n);
  }
  void Add(int number) {
    if (number >= 1 && number <= 5) bits_.set(static_cast<std::size_t>(number));
  }
  bool Has(int number) const { return number >= 1 && number <= 5 && bits_.test(static_cast<std::size_t>(number)); }
  friend bool operator==(const ViewState&, const ViewState&) = default;

 private:
  std::bitset<6> bits_;
};

// The category numbers the list's view state allows: {1} with a panel
// shown, {1,2} for the empty list, {1,2,4,5} with fewer than two entries,
// else all five.
ViewState CategoriesOf(list::ViewState state);

struct RefreshInput {
  ViewState view;
  bool listShown = false;
  // False while a command runs over the selection.
  bool listEnabled = true;
  bool settingsShown = false;
  bool aboutShown = false;
  const list::VideoList* list = nullptr;  // null counts as empty
  const FileActionRegistry* registry = nullptr;
  const CommandList* commandList = nullptr;
};

// Sets Visible and Enabled of every action, then the menus' visibility.
void RefreshActionStates(ActionList& actions, MainMenu& menu, const RefreshInput& input);

// A top-level menu is shown when one of its items (not a separator) is
// visible and neither panel is shown; a sub-menu is visible when one of
// its own items is.
void RefreshMenuVisibility(const ActionList& actions, MainMenu& menu, bool panelShown);

}  // namespace korvid::commands
