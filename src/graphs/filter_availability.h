#pragma once
// Which components this run can use, decided once at start from the
// catalogue and the probes of this build, and the report lines it gives.

#include <string>
#include <string_view>
#include <vector>

#include "graphs/component_probe.h"

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

struct AvailabilityOptions {
  // The KORVID_MISSING_FILTERS value, read by the caller once: friendly
  // names separated by ';', compared without case, that count as missing.
  std::string missingFilters;
  ProbeContext probes;
};

// A component is there when the catalogue looks it up, its probe passes and
// it is not listed as missing; a group is ready when all of its are there.
FilterAvailability CheckFilterAvailability(const AvailabilityOptions& options);

enum class ReportColour { kBlack, kRed };

struct ReportLine {
  std::string_view text;
  ReportColour colour;
};

// The eleven lines for the About panel, black for what is there, red for
// what is missing.
std::vector<ReportLine> AvailabilityReportLines(const FilterAvailability& availability);

}  // namespace korvid::graphs
