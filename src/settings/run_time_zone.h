#pragma once
// The zone of the datecodes for a report run from the command line: the
// run's --time-zone when given, else the user's stored preference.

#include <optional>
#include <ostream>
#include <string>

#include "settings/recording_zone.h"

namespace korvid::settings {

// Throws UnknownTimeZone when the chosen name is not a zone.
RecordingZone ZoneForThisRun();
// The same for a report: nothing when the name is not a zone, having said
// so on `err` (the report then ends with status 2).
std::optional<RecordingZone> ZoneForThisReport(std::ostream& err);

}  // namespace korvid::settings
