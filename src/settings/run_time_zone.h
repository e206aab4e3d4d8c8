#pragma once
// The zone of the datecodes for a report run from the command line: the
// run's --time-zone when given, else the user's stored preference.

#include <string>

#include "settings/recording_zone.h"

namespace korvid::settings {

// Throws UnknownTimeZone when the chosen name is not a zone.
RecordingZone ZoneForThisRun();

}  // namespace korvid::settings
