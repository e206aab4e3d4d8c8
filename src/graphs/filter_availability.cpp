#include "graphs/filter_availability.h"

#include <algorithm>
#include <initializer_list>

#include "resources/string_table.h"

namespace korvid::graphs {
namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The catalogue's names are plain ASCII.
bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// Surrounding blanks ignored, empty items dropped.
std::vector<std::string_view> MissingNames(std::string_view variable) {
  std::vector<std::string_view> names;
  while (true) {
    const std::size_t end = variable.find(';');
    const std::string_view item = Trimmed(variable.substr(0, end));
    if (!item.empty()) names.push_back(item);
    if (end == std::string_view::npos) break;
    variable.remove_prefix(end + 1);
  }
  return names;
}

class Components {
 public:
  explicit Components(const AvailabilityOptions& options)
      : missing_(MissingNames(options.missingFilters)), probes_(options.probes) {}

  bool Present(std::string_view name) const {
    const CatalogueEntry* entry = FindCatalogueEntry(name);
    if (entry == nullptr || !entry->lookedUp) return false;
    const bool listed = std::any_of(missing_.begin(), missing_.end(),
                                    [name](std::string_view item) { return EqualsIgnoringCase(item, name); });
    return !listed && ProbeBacking(entry->backing, probes_);
  }

  bool AllPresent(std::initializer_list<std::string_view> group) const {
    return std::all_of(group.begin(), group.end(), [this](std::string_view name) { return Present(name); });
  }

 private:
  std::vector<std::string_view> missing_;
  const ProbeContext& probes_;
};

ReportLine Line(bool flag, resources::Text whenTrue, resources::Text whenFalse) {
  return flag ? ReportLine{resources::Str(whenTrue), ReportColour::kBlack}
              : ReportLine{resources::Str(whenFalse), ReportColour::kRed};
}

}  // namespace

FilterAvailability CheckFilterAvailability(const AvailabilityOptions& options) {
  const Components components(options);
  FilterAvailability found;
  found.deinterlacerFound = components.Present(names::kDeinterlacer);
  found.layrinFound = components.Present(names::kLayrin);
  found.calenoxFound = components.Present(names::kCalenox);
  found.dixmarkFound = components.Present(names::kDixmark);
  found.horolanFound = components.Present(names::kHorolan);
  found.wavDestFound = components.Present(names::kWavDest);
  found.inlayReady = found.layrinFound && found.calenoxFound && found.horolanFound && found.dixmarkFound;
  found.conversionReady =
      components.AllPresent({names::kFileSource, names::kFileWriter, names::kAviSplitter, names::kDvMuxer,
                             names::kAviMux, names::kDvSplitter, names::kDvDecoder, names::kAcmWrapper,
                             names::kInfiniteTee, names::kNullRenderer, names::kDvEncoder});
  found.listingReady =
      components.AllPresent({names::kNullRenderer, names::kDvSplitter, names::kAviSplitter, names::kFileSource});
  found.scenesReady = components.AllPresent({names::kNullRenderer, names::kAviSplitter, names::kFileSource});
  found.displayReady = components.AllPresent({names::kAviSplitter, names::kFileSource, names::kAudioRenderer});
  return found;
}

std::vector<ReportLine> AvailabilityReportLines(const FilterAvailability& a) {
  using resources::Text;
  return {
      Line(a.conversionReady, Text::kConversionFiltersAvailable, Text::kConversionFiltersMissing),
      Line(a.listingReady, Text::kListingFiltersAvailable, Text::kListingFiltersMissing),
      Line(a.displayReady, Text::kDisplayFiltersAvailable, Text::kDisplayFiltersMissing),
      Line(a.scenesReady, Text::kScenesFiltersAvailable, Text::kScenesFiltersMissing),
      Line(a.inlayReady, Text::kInlayFiltersAvailable, Text::kInlayFiltersMissing),
      Line(a.deinterlacerFound, Text::kDeinterlacerFilterAvailable, Text::kDeinterlacerFilterMissing),
      Line(a.layrinFound, Text::kLayrinFilterAvailable, Text::kLayrinFilterMissing),
      Line(a.calenoxFound, Text::kCalenoxFilterAvailable, Text::kCalenoxFilterMissing),
      Line(a.dixmarkFound, Text::kDixmarkFilterAvailable, Text::kDixmarkFilterMissing),
      Line(a.horolanFound, Text::kHorolanFilterAvailable, Text::kHorolanFilterMissing),
      Line(a.wavDestFound, Text::kWavDestFilterAvailable, Text::kWavDestFilterMissing),
  };
}

}  // namespace korvid::graphs
