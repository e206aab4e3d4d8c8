#include "graphs/filter_availability.h"

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

struct ReportTexts {
  std::string_view whenTrue;
  std::string_view whenFalse;
};

ReportLine Line(bool flag, ReportTexts texts) {
  return flag ? ReportLine{texts.whenTrue, ReportColour::kBlack}
              : ReportLine{texts.whenFalse, ReportColour::kRed};
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
  return {
      // The doubled letter is the wording users have always seen.
      Line(a.conversionReady, {"All filters needed for conversion are available.",
                               "Some fiilters needed for conversion are missing."}),
      Line(a.listingReady, {"All filters needed to list videos are available.",
                            "Some filters needed to list videos are missing."}),
      Line(a.displayReady, {"All filters needed to display videos are available.",
                            "Some filters needed to display videos are missing."}),
      Line(a.scenesReady, {"All filters needed to scan scenes are available.",
                           "Some filters needed to scan scenes are missing."}),
      Line(a.inlayReady, {"All filters needed for inlay are available.",
                          "Some filters needed for inlay are missing."}),
      Line(a.deinterlacerFound, {"The filter Pinnacle Video Deinterlacer is available.",
                                 "The filter Pinnacle Video Deinterlacer is missing."}),
      Line(a.layrinFound, {"The filter Marovec Layrin3 is available.",
                           "The filter Marovec Layrin3 is missing."}),
      Line(a.calenoxFound, {"The filter Marovec Calenox2 is available.",
                            "The filter Marovec Calenox2 is missing."}),
      Line(a.dixmarkFound, {"The filter Marovec Dixmark is available.",
                            "The filter Marovec Dixmark is missing."}),
      Line(a.horolanFound, {"The filter Marovec Horolan is available.",
                            "The filter Marovec Horolan is missing."}),
      Line(a.wavDestFound, {"The filter WavDest is available.", "The filter WavDest is missing."}),
  };
}

}  // namespace korvid::graphs
