#include "graphs/filter_availability.h"
#include "resources/string_table.h"

#include <initializer_list>

namespace korvid::graphs {
namespace {

struct Lookup {
  std::string_view friendlyName;
  FilterSlot* slot;
};

// A chain joined by "and": the first miss ends it.
bool AllFound(DeviceEnumerator& devices, FilterCategory category,
              std::initializer_list<Lookup> chain) {
  for (const Lookup& lookup : chain) {
    if (!devices.FindFilterByFriendlyName(category, lookup.friendlyName, *lookup.slot)) {
      return false;
    }
  }
  return true;
}

ReportLine Line(bool flag, resources::Text whenTrue, resources::Text whenFalse) {
  return flag ? ReportLine{resources::Str(whenTrue), ReportColour::kBlack}
              : ReportLine{resources::Str(whenFalse), ReportColour::kRed};
}

}  // namespace

FilterAvailability CheckFilterAvailability(GraphHolderSet& holders, DeviceEnumerator& devices) {
  constexpr FilterCategory kFilters = FilterCategory::kFilters;
  TCdm& conversion = holders.conversion;
  Tdm& listing = holders.listing;
  TdmScenes& scenes = holders.scenes;
  Tviewdm& player = holders.player;
  FilterAvailability found;

  devices.SelectCategory(kFilters);
  found.deinterlacerFound =
      devices.FindFilterByFriendlyName(kFilters, names::kDeinterlacer, conversion.Deinterlacer);
  found.layrinFound = devices.FindFilterByFriendlyName(kFilters, names::kLayrin, conversion.layrin);
  found.calenoxFound =
      devices.FindFilterByFriendlyName(kFilters, names::kCalenox, conversion.calenox);
  found.dixmarkFound =
      devices.FindFilterByFriendlyName(kFilters, names::kDixmark, conversion.dixmark);
  found.horolanFound = devices.FindFilterByFriendlyName(kFilters, names::kHorolan, player.hl);
  found.wavDestFound =
      devices.FindFilterByFriendlyName(kFilters, names::kWavDest, conversion.WAVDest);

  found.inlayReady =
      found.layrinFound && found.calenoxFound && found.horolanFound && found.dixmarkFound;

  found.conversionReady = AllFound(devices, kFilters,
                                   {{names::kFileSource, &conversion.source},
                                    {names::kFileWriter, &conversion.destination},
                                    {names::kAviSplitter, &conversion.avisplitter},
                                    {names::kDvMuxer, &conversion.dvmuxer},
                                    {names::kAviMux, &conversion.avimux},
                                    {names::kDvSplitter, &conversion.dvsplitter},
                                    {names::kDvDecoder, &conversion.Dvdec},
                                    {names::kAcmWrapper, &conversion.acmwrapper},
                                    {names::kInfiniteTee, &conversion.infinite},
                                    {names::kNullRenderer, &conversion.null}});

  devices.SelectCategory(FilterCategory::kVideoCompressors);
  found.conversionReady =
      found.conversionReady &&
      devices.FindFilterByFriendlyName(FilterCategory::kVideoCompressors, names::kDvEncoder,
                                       conversion.DVenc);

  devices.SelectCategory(kFilters);
  found.listingReady = AllFound(devices, kFilters,
                                {{names::kNullRenderer, &listing.nullrender},
                                 {names::kDvSplitter, &listing.dvsplitter},
                                 {names::kAviSplitter, &listing.avisplitter},
                                 {names::kFileSource, &listing.source}});

  found.scenesReady = AllFound(devices, kFilters,
                               {{names::kNullRenderer, &scenes.null},
                                {names::kAviSplitter, &scenes.splitter},
                                {names::kFileSource, &scenes.source}});

  found.displayReady = AllFound(devices, kFilters,
                                {{names::kAviSplitter, &player.avisplitter},
                                 {names::kFileSource, &player.source}});
  devices.SelectCategory(FilterCategory::kAudioRenderers);
  found.displayReady =
      found.displayReady &&
      devices.FindFilterByFriendlyName(FilterCategory::kAudioRenderers, names::kAudioRenderer,
                                       player.audiorender);
  return found;
}

FilterAvailability CheckFilterAvailability(GraphHolderSet& holders,
                                           const SystemDeviceOptions& options) {
  DeviceEnumerator devices(SystemDeviceSource(options));
  return CheckFilterAvailability(holders, devices);
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
