#include "commands/command_list.h"

#include <cctype>
#include <filesystem>
#include <set>

#include "media/video_record.h"

namespace korvid::commands {
namespace {

bool StartsWithAf(std::string_view name) {
  return name.size() >= 2 && std::tolower(static_cast<unsigned char>(name[0])) == 'a' &&
         std::tolower(static_cast<unsigned char>(name[1])) == 'f';
}

CommandListItem* ItemOf(const WindowAction& action, CommandList& list) {
  if (action.Tag < 0 || static_cast<std::size_t>(action.Tag) >= list.items.size()) return nullptr;
  return &list.items[static_cast<std::size_t>(action.Tag)];
}

std::string ItemText(const std::string& caption, const std::string& shortcut) {
  return shortcut.empty() ? caption : caption + " (" + shortcut + ")";
}

}  // namespace

bool CommandList::Checked(int tag) const {
  if (tag < 0 || static_cast<std::size_t>(tag) >= items.size()) return false;
  return items[static_cast<std::size_t>(tag)].checked;
}

CommandList BuildCommandList(ActionList& actions) {
  CommandList list;
  // A key two commands share acts for the first of them in the action
  // list (the window's rule): the later one is listed without it.
  std::set<std::string> taken;
  for (WindowAction& action : actions) {
    action.Tag = -1;
    const std::string key = media::AsciiLower(action.shortcut);
    const bool keyActs = !key.empty() && !taken.contains(key);
    for (const std::string* own : {&action.shortcut, &action.secondShortcut})
      if (!own->empty()) taken.insert(media::AsciiLower(*own));
    if (!action.Visible || action.caption.empty()) continue;
    CommandListItem item;
    item.shortcut = keyActs ? action.shortcut : std::string();
    item.text = ItemText(action.caption, item.shortcut);
    item.actionName = action.name;
    item.greyed = StartsWithAf(action.name);
    action.Tag = static_cast<int>(list.items.size());
    list.items.push_back(std::move(item));
  }
  return list;
}

void RestoreCommandChoices(const std::vector<settings::ActionChoice>& choices, const ActionList& actions,
                           CommandList& list) {
  for (const settings::ActionChoice& choice : choices) {
    const WindowAction* action = actions.Find(choice.name);
    if (action == nullptr) continue;
    CommandListItem* item = ItemOf(*action, list);
    if (item == nullptr || item->greyed) continue;
    item->checked = choice.state != settings::ActionChoice::kUnticked;
  }
}

std::vector<settings::ActionChoice> CollectCommandChoices(const ActionList& actions, const CommandList& list) {
  std::vector<settings::ActionChoice> choices;
  for (const WindowAction& action : actions) {
    int state = settings::ActionChoice::kNotListed;
    if (action.Tag >= 0 && static_cast<std::size_t>(action.Tag) < list.items.size())
      state = list.Checked(action.Tag) ? settings::ActionChoice::kTicked : settings::ActionChoice::kUnticked;
    choices.push_back({action.name, state});
  }
  return choices;
}

void ApplyFrameGrabber(const std::string& program, ActionList& actions, CommandList& list) {
  WindowAction* action = actions.Find("afPictrel");
  if (action == nullptr) return;
  std::error_code error;
  const bool present = !program.empty() && std::filesystem::is_regular_file(program, error);
  action->caption = "Open with " + std::filesystem::path(program).stem().string();
  if (CommandListItem* item = ItemOf(*action, list)) {
    item->checked = present;
    item->text = ItemText(action->caption, item->shortcut);
  }
}

}  // namespace korvid::commands
