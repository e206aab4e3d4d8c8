#pragma once
// Which components this run can use, decided once at start by looking
// every catalogue entry up by name, and the report lines it gives.

#include <string>
#include <string_view>
#include <vector>

#include "graphs/device_enumerator.h"
#include "graphs/graph_holders.h"

namespace korvid::graphs {

// All false until CheckFilterAvailability has run; the application keeps
// the one record and hands it out read-only.
struct FilterAvailability {
  bool deinterlacerFound = false;
  bool layrinFound = false;
  bool calenoxFound = false;
  bool dixmarkFound = false;
  bool horolanFound = false;
  bool wavDestFound = false;
  bool conversionReady = false;
  bool listingReady = false;
  bool displayReady = false;
  bool scenesReady = false;
  bool inlayReady = false;
};

// Looks the catalogue up into the holders' slots, in the fixed order whose
// chains stop at their first missing component (the rest of a chain is
// not looked up and keeps its built-in moniker).
FilterAvailability CheckFilterAvailability(GraphHolderSet& holders, DeviceEnumerator& devices);

// The same over the components of this build. `options.missingFilters`
// is the KORVID_MISSING_FILTERS value, read by the caller once.
FilterAvailability CheckFilterAvailability(GraphHolderSet& holders,
                                           const SystemDeviceOptions& options);

enum class ReportColour { kBlack, kRed };

struct ReportLine {
  std::string_view text;
  ReportColour colour;
};

// The eleven lines for the About panel, black for what is there, red for
// what is missing.
std::vector<ReportLine> AvailabilityReportLines(const FilterAvailability& availability);

}  // namespace korvid::graphs
