#pragma once
// The machine's registered components, walked one category at a time,
// and the lookup by friendly name that fills a slot's moniker.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "graphs/component_probe.h"
#include "graphs/filter_catalogue.h"
#include "graphs/filter_slot.h"

namespace korvid::graphs {

struct DeviceEntry {
  std::string friendlyName;
  std::string moniker;
};

// Lists a category's entries in enumeration order.
using DeviceSource = std::function<std::vector<DeviceEntry>(FilterCategory)>;

// One lookup as it was asked, kept so that callers can see which names a
// chain of lookups reached.
struct LookupRecord {
  FilterCategory category;
  std::string friendlyName;
  bool found;
};

class DeviceEnumerator {
 public:
  explicit DeviceEnumerator(DeviceSource source);

  // Enumerates the category once and keeps its entries until the next
  // selection of another category.
  void SelectCategory(FilterCategory category);

  // Finds the entry whose friendly name equals `friendlyName` without
  // regard to case; of several, the last enumerated wins. When found its
  // moniker goes into `slot`; otherwise the slot is left as it was.
  bool FindFilterByFriendlyName(FilterCategory category, std::string_view friendlyName,
                                FilterSlot& slot);

  const std::vector<LookupRecord>& Lookups() const { return lookups_; }

 private:
  DeviceSource source_;
  std::optional<FilterCategory> selected_;
  std::vector<DeviceEntry> entries_;
  std::vector<LookupRecord> lookups_;
};

// ASCII comparison without case; the catalogue's names are plain ASCII.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// Names listed in KORVID_MISSING_FILTERS: separated by ';', surrounding
// blanks ignored, empty items dropped.
std::vector<std::string> ParseMissingFilters(std::string_view variable);

// The value of KORVID_MISSING_FILTERS in this process, empty when unset.
// Only the application calls this; everything else takes the value.
std::string ReadMissingFiltersVariable();

struct SystemDeviceOptions {
  std::string missingFilters;  // value of KORVID_MISSING_FILTERS
  ProbeContext probes;
};

// The components of this build: every looked-up catalogue entry of the
// category whose probe passes and whose name is not listed as missing.
DeviceSource SystemDeviceSource(const SystemDeviceOptions& options);

}  // namespace korvid::graphs
