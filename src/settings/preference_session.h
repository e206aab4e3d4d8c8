#pragma once
// The preferences of one run of the program: the values every part reads,
// where they are stored, and whether they are still to be saved at exit.

#include "settings/preferences.h"
#include "settings/preferences_store.h"

namespace korvid::settings {

class PreferenceSession {
 public:
  explicit PreferenceSession(StoreLocation location);

  Preferences& values() { return values_; }
  const Preferences& values() const { return values_; }
  const StoreLocation& location() const { return location_; }

  // Loads the stored values, then settles the folders as every start does:
  // trailing separators, and outputs beside their source when the output
  // folder is gone.
  void Load(const DefaultEnvironment& environment);

  // Saves at once; the save at exit is then skipped for the rest of the run
  // although the preference keeps its value.
  void SaveNow(const SaveStamp& stamp);

  // Clears the save-at-exit preference first so the deleted values are not
  // written back, whatever the user answers.
  DeleteOutcome DeleteNow(PreferenceDialogs& dialogs);

  bool WillSaveAtExit() const;
  void SaveAtExitIfWanted(const SaveStamp& stamp);

 private:
  StoreLocation location_;
  Preferences values_;
  bool exitSaveSkipped_ = false;
};

}  // namespace korvid::settings
