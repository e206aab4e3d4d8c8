#include "graphs/filter_catalogue.h"

#include <array>

namespace korvid::graphs {
namespace {

using B = Backing;
using C = FilterCategory;

constexpr std::array<CatalogueEntry, 20> kCatalogue{{
    {names::kFileSource, C::kFilters, B::kBuiltIn, true},
    {names::kFileWriter, C::kFilters, B::kBuiltIn, true},
    {names::kAviSplitter, C::kFilters, B::kAviDemuxer, true},
    {names::kDvSplitter, C::kFilters, B::kDvDemuxer, true},
    {names::kDvMuxer, C::kFilters, B::kDvMuxer, true},
    {names::kAviMux, C::kFilters, B::kAviMuxer, true},
    {names::kDvDecoder, C::kFilters, B::kDvDecoder, true},
    {names::kAcmWrapper, C::kFilters, B::kResampler, true},
    {names::kInfiniteTee, C::kFilters, B::kBuiltIn, true},
    {names::kNullRenderer, C::kFilters, B::kBuiltIn, true},
    {names::kDvEncoder, C::kVideoCompressors, B::kDvEncoder, true},
    {names::kAudioRenderer, C::kAudioRenderers, B::kAudioOutput, true},
    {names::kWavDest, C::kFilters, B::kBuiltIn, true},
    {names::kDeinterlacer, C::kFilters, B::kBuiltIn, true},
    {names::kLayrin, C::kFilters, B::kBuiltIn, true},
    {names::kCalenox, C::kFilters, B::kBuiltIn, true},
    {names::kDixmark, C::kFilters, B::kBuiltIn, true},
    {names::kHorolan, C::kFilters, B::kBuiltIn, true},
    {names::kColorConverter, C::kFilters, B::kScaler, false},
    {names::kSampleGrabber, C::kFilters, B::kBuiltIn, false},
}};

}  // namespace

std::span<const CatalogueEntry> FilterCatalogue() { return kCatalogue; }

const CatalogueEntry* FindCatalogueEntry(std::string_view friendlyName) {
  for (const CatalogueEntry& entry : kCatalogue) {
    if (entry.friendlyName == friendlyName) return &entry;
  }
  return nullptr;
}

}  // namespace korvid::graphs
