#include "settings/run_time_zone.h"

#include "settings/preferences_store.h"

namespace korvid::settings {

RecordingZone ZoneForThisRun() {
  if (const auto given = TimeZoneOverride()) return RecordingZone(*given);
  DefaultEnvironment environment;
  environment.documentsFolder = UserDocumentsFolder();
  return RecordingZone(LoadPreferences(StoreLocation::ForCurrentUser(), environment).timeZone);
}

std::optional<RecordingZone> ZoneForThisReport(std::ostream& err) {
  try {
    return ZoneForThisRun();
  } catch (const UnknownTimeZone& e) {
    err << "korvid: " << e.what() << "\n";
    return std::nullopt;
  }
}

}  // namespace korvid::settings
