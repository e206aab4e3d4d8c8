#pragma once
// `korvid --time-zone ZONE ...`: the zone the datecodes were recorded in,
// for the rest of the command line, ahead of the stored preference.

#include <string>
#include <vector>

namespace korvid::commands {

// Takes a leading "--time-zone ZONE" off `args` and makes ZONE the run's
// zone (settings::OverrideTimeZone). 0, or 2 after saying what is wrong.
int TakeTimeZoneOption(std::vector<std::string>& args);

}  // namespace korvid::commands
