#include "commands/file_action_registry.h"

#include "media/video_record.h"

namespace korvid::commands {

void FileActionRegistry::Add(tFileAction& action) { entries_.emplace_back(media::AsciiLower(action.Name()), &action); }

tFileAction* FileActionRegistry::Find(std::string_view name) const {
  const std::string key = media::AsciiLower(name);
  for (const auto& [entry_key, action] : entries_)
    if (entry_key == key) return action;
  return nullptr;
}

tFileAction* FileActionRegistry::FindExact(std::string_view name) const {
  for (const auto& entry : entries_)
    if (entry.second->Name() == name) return entry.second;
  return nullptr;
}

tFileAction* FindFileAction(std::string_view windowActionName, const FileActionRegistry& registry) {
  const std::string name = media::AsciiLower(windowActionName);
  if (name.size() < 2) return nullptr;
  const std::string_view prefix = std::string_view(name).substr(0, 2);
  if (prefix != "am" && prefix != "at" && prefix != "pm" && prefix != "pt") return nullptr;
  return registry.Find(std::string_view(name).substr(2));
}

bool ApplyModele(tFileAction& action, const FileActionRegistry& registry) {
  if (action.Modele.empty()) return true;
  const tFileAction* model = registry.FindExact(action.Modele);
  if (model == nullptr) return false;
  if (!action.OnConfirmation) action.OnConfirmation = model->OnConfirmation;
  if (!action.OnExecution) action.OnExecution = model->OnExecution;
  if (!action.OnFileCondition) action.OnFileCondition = model->OnFileCondition;
  if (!action.OnGeneralCondition) action.OnGeneralCondition = model->OnGeneralCondition;
  return true;
}

}  // namespace korvid::commands
