#include "settings/preference_session.h"

#include <utility>

#include "settings/loaded_folders.h"

namespace korvid::settings {

PreferenceSession::PreferenceSession(StoreLocation location) : location_(std::move(location)) {}

void PreferenceSession::Load(const DefaultEnvironment& environment) {
  values_ = LoadPreferences(location_, environment);
  SettleLoadedFolders(values_);
}

void PreferenceSession::SaveNow(const SaveStamp& stamp) {
  SavePreferences(location_, values_, stamp);
  exitSaveSkipped_ = true;
}

DeleteOutcome PreferenceSession::DeleteNow(PreferenceDialogs& dialogs) {
  values_.saveOnQuit = false;
  const DeleteOutcome outcome = DeletePreferences(location_, dialogs);
  exitSaveSkipped_ = true;
  return outcome;
}

bool PreferenceSession::WillSaveAtExit() const { return values_.saveOnQuit && !exitSaveSkipped_; }

void PreferenceSession::SaveAtExitIfWanted(const SaveStamp& stamp) {
  if (WillSaveAtExit()) SavePreferences(location_, values_, stamp);
}

}  // namespace korvid::settings
