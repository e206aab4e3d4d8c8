#pragma once
// Every file action of the program, built-in ones first, then those of the
// plug-ins, each under its lower-cased name. Lookups ignore letter case and
// take the first match, so an action named like an earlier one is never
// found. Actions are never removed.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "commands/file_action.h"

namespace korvid::commands {

class FileActionRegistry {
 public:
  // The registry does not own the actions; they outlive it.
  void Add(tFileAction& action);
  // First action whose name equals `name` regardless of letter case, or null.
  tFileAction* Find(std::string_view name) const;
  // First action whose name equals `name` exactly (case counts), or null.
  tFileAction* FindExact(std::string_view name) const;

  int Count() const { return static_cast<int>(entries_.size()); }
  const std::string& KeyAt(int index) const { return entries_.at(static_cast<std::size_t>(index)).first; }
  tFileAction& At(int index) const { return *entries_.at(static_cast<std::size_t>(index)).second; }

 private:
  std::vector<std::pair<std::string, tFileAction*>> entries_;
};

// The file action behind a main-window action: names starting "am", "at",
// "pm" or "pt" (in any case) name a registered file action after the
// prefix; anything else gives null.
tFileAction* FindFileAction(std::string_view windowActionName, const FileActionRegistry& registry);

// Fills the handlers an action lacks from the registered action whose name
// equals its Modele exactly. False when Modele names no registered action.
bool ApplyModele(tFileAction& action, const FileActionRegistry& registry);

}  // namespace korvid::commands
