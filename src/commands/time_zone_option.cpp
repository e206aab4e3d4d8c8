#include "commands/time_zone_option.h"

#include <iostream>

#include "resources/printable_text.h"
#include "settings/recording_zone.h"

namespace korvid::commands {

int TakeTimeZoneOption(std::vector<std::string>& args) {
  if (args.empty() || args[0] != "--time-zone") return 0;
  if (args.size() < 2 || args[1].empty() || !settings::IsKnownTimeZone(args[1])) {
    std::cerr << "korvid: --time-zone needs a zone name such as Europe/Paris";
    if (args.size() >= 2) std::cerr << " (\"" << resources::Printable(args[1]) << "\" is unknown)";
    std::cerr << "\n";
    return 2;
  }
  if (args.size() < 3) {
    std::cerr << "korvid: --time-zone ZONE is followed by what to run\n";
    return 2;
  }
  settings::OverrideTimeZone(args[1]);
  args.erase(args.begin(), args.begin() + 2);
  return 0;
}

}  // namespace korvid::commands
