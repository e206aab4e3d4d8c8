#include "graphs/filter_catalogue.h"

namespace korvid::graphs {
namespace {

using B = Backing;
using C = FilterCategory;

// The maker's four filters are our own components; these class
// identifiers are ours too and only need to be stable.
constexpr std::string_view kLayrinClass = "{94924F2F-8ABE-42FC-92CC-B5E94CA83E69}";
constexpr std::string_view kCalenoxClass = "{C5D5369D-68B8-41CB-AE9C-25EDF268532E}";
constexpr std::string_view kDixmarkClass = "{31B26981-1F46-4328-A8D9-B65EAFDA7CE1}";
constexpr std::string_view kHorolanClass = "{15EF68CC-2633-4BCF-9C27-F23EDCE452A8}";

// Layrin3 and Calenox2 have a class here for the player; the conversion
// holder blanks its own slots' built-in moniker (see graph_holders.cpp).
constexpr std::array<CatalogueEntry, 20> kCatalogue{{
    {names::kFileSource, C::kFilters, "{E436EBB5-524F-11CE-9F53-0020AF0BA770}", B::kBuiltIn, true,
     {"TCdm.source", "Tdm.source", "TdmScenes.source", "Tviewdm.source"}},
    {names::kFileWriter, C::kFilters, "{8596E5F0-0DA5-11D0-BD21-00A0C911CE86}", B::kBuiltIn, true,
     {"TCdm.destination"}},
    {names::kAviSplitter, C::kFilters, "{1B544C20-FD0B-11CE-8C63-00AA0044B51E}", B::kAviDemuxer, true,
     {"TCdm.avisplitter", "Tdm.avisplitter", "TdmScenes.splitter", "Tviewdm.avisplitter"}},
    {names::kDvSplitter, C::kFilters, "{4EB31670-9FC6-11CF-AF6E-00AA00B67A42}", B::kDvDemuxer, true,
     {"TCdm.dvsplitter", "Tdm.dvsplitter", "Tviewdm.dvsplitter"}},
    {names::kDvMuxer, C::kFilters, "{129D7E40-C10D-11D0-AFB9-00AA00B67A42}", B::kDvMuxer, true,
     {"TCdm.dvmuxer"}},
    {names::kAviMux, C::kFilters, "{E2510970-F137-11CE-8B67-00AA00A3F1A6}", B::kAviMuxer, true,
     {"TCdm.avimux"}},
    {names::kDvDecoder, C::kFilters, "{B1B77C00-C3E4-11CF-AF79-00AA00B67A42}", B::kDvDecoder, true,
     {"TCdm.Dvdec", "Tviewdm.Dvdecoder"}},
    {names::kAcmWrapper, C::kFilters, "{6A08CF80-0E18-11CF-A24D-0020AFD79767}", B::kResampler, true,
     {"TCdm.acmwrapper"}},
    {names::kInfiniteTee, C::kFilters, "{F8388A40-D5BB-11D0-BE5A-0080C706568E}", B::kBuiltIn, true,
     {"TCdm.infinite", "Tviewdm.infinite", "Tviewdm.infinite0"}},
    {names::kNullRenderer, C::kFilters, "{C1F400A4-3F08-11D3-9F0B-006008039E37}", B::kBuiltIn, true,
     {"TCdm.null", "Tdm.nullrender", "TdmScenes.null", "Tviewdm.nullrender"}},
    {names::kDvEncoder, C::kVideoCompressors, "", B::kDvEncoder, true, {"TCdm.DVenc"}},
    {names::kAudioRenderer, C::kAudioRenderers, "", B::kAudioOutput, true, {"Tviewdm.audiorender"}},
    {names::kWavDest, C::kFilters, "{3C78B8E2-6C4D-11D1-ADE2-0000F8754B99}", B::kBuiltIn, true,
     {"TCdm.WAVDest"}},
    {names::kDeinterlacer, C::kFilters, "{96A6F294-84B5-4779-AA94-9C9AD33ABEC6}", B::kBuiltIn, true,
     {"TCdm.Deinterlacer"}},
    {names::kLayrin, C::kFilters, kLayrinClass, B::kBuiltIn, true, {"TCdm.layrin", "Tviewdm.Layrin"}},
    {names::kCalenox, C::kFilters, kCalenoxClass, B::kBuiltIn, true,
     {"TCdm.calenox", "Tviewdm.calenox"}},
    {names::kDixmark, C::kFilters, kDixmarkClass, B::kBuiltIn, true, {"TCdm.dixmark"}},
    {names::kHorolan, C::kFilters, kHorolanClass, B::kBuiltIn, true,
     {"Tviewdm.hl", "Tviewdm.HlNoTime"}},
    {names::kColorConverter, C::kFilters, "{1643E180-90F5-11CE-97D5-00AA0055595A}", B::kScaler, false,
     {"Tviewdm.color"}},
    {names::kSampleGrabber, C::kFilters, "{C1F400A0-3F08-11D3-9F0B-006008039E37}", B::kBuiltIn, false,
     {"Tdm.sg", "TdmScenes.sg", "Tviewdm.sg"}},
}};

}  // namespace

std::string_view CategoryClassId(FilterCategory category) {
  switch (category) {
    case FilterCategory::kFilters:
      return "{083863F1-70DE-11D0-BD40-00A0C911CE86}";
    case FilterCategory::kVideoCompressors:
      return "{33D9A760-90C8-11D0-BD43-00A0C911CE86}";
    case FilterCategory::kAudioRenderers:
      return "{E0F158E1-CB04-11D0-BD4E-00A0C911CE86}";
  }
  return {};
}

std::span<const CatalogueEntry> FilterCatalogue() { return kCatalogue; }

const CatalogueEntry* FindCatalogueEntry(std::string_view friendlyName) {
  for (const CatalogueEntry& entry : kCatalogue) {
    if (entry.friendlyName == friendlyName) return &entry;
  }
  return nullptr;
}

std::string BuiltInMoniker(const CatalogueEntry& entry) {
  std::string moniker = "korvid:";
  moniker += CategoryClassId(entry.category);
  moniker += '\\';
  moniker += entry.classId.empty() ? entry.friendlyName : entry.classId;
  return moniker;
}

}  // namespace korvid::graphs
