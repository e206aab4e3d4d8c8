#pragma once
// The main window's commands as data: one ordered action list with names,
// captions, hints, categories and shortcuts, and the main menu that shows
// them. The window turns each action into a widget action; everything that
// decides what the actions do, show and allow works on this model alone.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "commands/action_category.h"

namespace korvid::commands {

// How an action's trigger runs.
enum class ExecuteHandler {
  kNone,           // nothing assigned yet (the binding gives it RunBoundAction)
  kWindow,         // the window's own handler (panels, player, list sorts...)
  kBuiltInRunner,  // the runner its built-in file action uses
  kBoundAction,    // RunBoundAction, by the action's name and category
};

inline constexpr int kDefaultImage = 15;

struct WindowAction {
  std::string name;
  std::string caption;
  std::string hint;
  std::string category;
  std::string shortcut;        // "" for none
  std::string secondShortcut;  // an additional one, "" for none
  bool checkItem = false;      // shows a check mark (the two panels)
  bool checked = false;
  ExecuteHandler handler = ExecuteHandler::kWindow;
  // Called for kWindow actions; may be empty (nothing happens).
  std::function<void()> onExecute;
  int image = -1;  // -1: no image
  // The action's item in the command list, -1 when it is not listed.
  int Tag = -1;
  bool Visible = true;
  bool Enabled = true;
};

class ActionList {
 public:
  ActionList() = default;
  explicit ActionList(std::vector<WindowAction> actions) : actions_(std::move(actions)) {}

  int Count() const { return static_cast<int>(actions_.size()); }
  WindowAction& At(int index) { return actions_.at(static_cast<std::size_t>(index)); }
  const WindowAction& At(int index) const { return actions_.at(static_cast<std::size_t>(index)); }
  // Exact name, or null.
  WindowAction* Find(std::string_view name);
  const WindowAction* Find(std::string_view name) const;
  // First action whose lower-cased name equals `lowerName`, or null.
  WindowAction* FindLower(std::string_view lowerName);
  WindowAction& Append(WindowAction action);

  auto begin() { return actions_.begin(); }
  auto end() { return actions_.end(); }
  auto begin() const { return actions_.begin(); }
  auto end() const { return actions_.end(); }

 private:
  std::vector<WindowAction> actions_;
};

// The window's actions in their fixed order: "permanent", "vide", "liste",
// "mono" then "multi" commands, with the shortcuts they have at run time.
ActionList MainWindowActions();

// One item of a menu: an action by name, a separator, or a sub-menu.
struct MenuItem {
  std::string name;        // the item's own name ("mm..." for created ones)
  std::string actionName;  // "" for separators and sub-menus
  std::string caption;     // sub-menus only
  bool separator = false;
  std::vector<MenuItem> children;
  bool Visible = true;
};

struct TopMenu {
  std::string caption;
  std::vector<MenuItem> items;
  bool Visible = true;
};

// Top-level menus numbered 0 "Files" ... 5 "?"; a plug-in action's Tag
// chooses the one that receives it.
using MainMenu = std::vector<TopMenu>;
MainMenu MainWindowMenu();

// The status bar's hint line and the window caption, kept with the actions.
inline constexpr std::string_view kAbortHintText = "Type Escape to abort a command.";
std::string WindowCaption();

}  // namespace korvid::commands
