#pragma once
// Reading, writing and deleting the stored preferences. The store is the
// platform's native settings file of the maker's folder; every operation
// takes the location explicitly so that tests never touch the user's own.

#include <filesystem>
#include <string>

#include "settings/date_time_format.h"
#include "settings/preference_table.h"
#include "settings/preferences.h"

namespace korvid::settings {

struct StoreLocation {
  // The folder that holds the maker's folder (~/.config for the user).
  std::filesystem::path configRoot;

  std::filesystem::path MakerFolder() const;
  std::filesystem::path ApplicationFile() const;
  std::filesystem::path FrameGrabberFile() const;

  // Where the platform keeps the current user's settings.
  static StoreLocation ForCurrentUser();
};

// The user's documents folder (XDG), the home folder when it names none
// or the folder does not exist.
std::string UserDocumentsFolder();

// Never fails: whatever is missing or unreadable takes its default.
Preferences LoadPreferences(const StoreLocation& location, const DefaultEnvironment& environment);

// What a save writes besides the preferences themselves.
struct SaveStamp {
  std::string version;         // e.g. 5.3.6
  std::string executablePath;  // the running program
  DateTimeValue savedAt;
  LocaleFormats locale;
};

// The stamp for now, the running program and the system locale.
SaveStamp CurrentSaveStamp(const std::string& version);

// "Korvid 5.3.6 En by Marovec"
std::string VersionValueText(const std::string& version);

// Errors of any kind are swallowed: a failed save must not stop the program.
void SavePreferences(const StoreLocation& location, const Preferences& preferences,
                     const SaveStamp& stamp) noexcept;

// The conversations of the delete command; the core shows no windows.
class PreferenceDialogs {
 public:
  virtual ~PreferenceDialogs() = default;
  // A warning with Yes and No; true only for Yes.
  virtual bool AskWarning(const std::string& question) = 0;
  virtual void Warn(const std::string& text) = 0;
  virtual void Inform(const std::string& text) = 0;
};

std::string DeleteQuestionText();
std::string NotFoundText();
std::string DeletedText();
std::string DeleteFailedText();

enum class DeleteOutcome { Declined, NotFound, Deleted, Failed };

// Asks, removes the application's settings and, when nothing else of the
// maker is left, the maker's folder; tells the user how it went.
DeleteOutcome DeletePreferences(const StoreLocation& location, PreferenceDialogs& dialogs);

}  // namespace korvid::settings
