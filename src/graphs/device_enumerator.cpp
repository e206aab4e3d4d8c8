#include "graphs/device_enumerator.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace korvid::graphs {
namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

bool ListedAsMissing(const std::vector<std::string>& missing, std::string_view name) {
  return std::any_of(missing.begin(), missing.end(),
                     [name](const std::string& item) { return EqualsIgnoringCase(item, name); });
}

}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

std::vector<std::string> ParseMissingFilters(std::string_view variable) {
  std::vector<std::string> names;
  while (true) {
    const std::size_t end = variable.find(';');
    const std::string_view item = Trimmed(variable.substr(0, end));
    if (!item.empty()) names.emplace_back(item);
    if (end == std::string_view::npos) break;
    variable.remove_prefix(end + 1);
  }
  return names;
}

std::string ReadMissingFiltersVariable() {
  const char* value = std::getenv("KORVID_MISSING_FILTERS");
  return value != nullptr ? std::string(value) : std::string();
}

DeviceEnumerator::DeviceEnumerator(DeviceSource source) : source_(std::move(source)) {}

void DeviceEnumerator::SelectCategory(FilterCategory category) {
  entries_ = source_ ? source_(category) : std::vector<DeviceEntry>{};
  selected_ = category;
}

bool DeviceEnumerator::FindFilterByFriendlyName(FilterCategory category,
                                                std::string_view friendlyName,
                                                FilterSlot& slot) {
  if (selected_ != category) SelectCategory(category);
  const auto match = std::find_if(entries_.rbegin(), entries_.rend(), [&](const DeviceEntry& e) {
    return EqualsIgnoringCase(e.friendlyName, friendlyName);
  });
  const bool found = match != entries_.rend();
  if (found) slot.BindFound(match->moniker);
  lookups_.push_back({category, std::string(friendlyName), found});
  return found;
}

DeviceSource SystemDeviceSource(const SystemDeviceOptions& options) {
  // The variable is parsed here, once, not at every enumeration.
  return [missing = ParseMissingFilters(options.missingFilters),
          probes = options.probes](FilterCategory category) {
    std::vector<DeviceEntry> entries;
    for (const CatalogueEntry& entry : FilterCatalogue()) {
      if (entry.category != category || !entry.lookedUp) continue;
      if (ListedAsMissing(missing, entry.friendlyName)) continue;
      if (!ProbeBacking(entry.backing, probes)) continue;
      entries.push_back({std::string(entry.friendlyName), BuiltInMoniker(entry)});
    }
    return entries;
  };
}

}  // namespace korvid::graphs
