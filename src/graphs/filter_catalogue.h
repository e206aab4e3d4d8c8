#pragma once
// Every media component a graph holder can hold, by the friendly name the
// lookup at start uses, with the class of its built-in moniker and the
// part of this build (or of the linked FFmpeg) that stands behind it.

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace korvid::graphs {

// The three device categories the start-up lookup walks.
enum class FilterCategory {
  kFilters,           // {083863F1-70DE-11D0-BD40-00A0C911CE86}
  kVideoCompressors,  // {33D9A760-90C8-11D0-BD43-00A0C911CE86}
  kAudioRenderers,    // {E0F158E1-CB04-11D0-BD4E-00A0C911CE86}
};

std::string_view CategoryClassId(FilterCategory category);

// What implements an entry on this platform; each has one probe.
enum class Backing {
  kBuiltIn,        // our own component, compiled into the core
  kAviDemuxer,     // libavformat "avi" input
  kDvDemuxer,      // libavformat "dv" input
  kAviMuxer,       // libavformat "avi" output
  kDvMuxer,        // libavformat "dv" output
  kDvDecoder,      // libavcodec DV video decoder
  kDvEncoder,      // libavcodec DV video encoder
  kResampler,      // libswresample
  kScaler,         // libswscale
  kAudioOutput,    // the application's audio output; decided by the app
};

// A slot of a holder that an entry fills, "Holder.member".
using SlotName = std::string_view;

struct CatalogueEntry {
  std::string_view friendlyName;
  FilterCategory category;
  // Class identifier of the built-in moniker; empty for the entries whose
  // built-in moniker names the entry itself inside its category.
  std::string_view classId;
  Backing backing;
  bool lookedUp;                    // false: the slots keep their built-in moniker
  std::array<SlotName, 4> slots;    // unused tail entries are empty
};

// Friendly names, exactly as the lookup and the reports use them.
namespace names {
inline constexpr std::string_view kFileSource = "File Source (Async.)";
inline constexpr std::string_view kFileWriter = "File writer";
inline constexpr std::string_view kAviSplitter = "AVI Splitter";
inline constexpr std::string_view kDvSplitter = "DV Splitter";
inline constexpr std::string_view kDvMuxer = "DV Muxer";
inline constexpr std::string_view kAviMux = "AVI Mux";
inline constexpr std::string_view kDvDecoder = "DV Video Decoder";
inline constexpr std::string_view kAcmWrapper = "ACM Wrapper";
inline constexpr std::string_view kInfiniteTee = "Infinite Pin Tee Filter";
inline constexpr std::string_view kNullRenderer = "Null Renderer";
inline constexpr std::string_view kDvEncoder = "DV Video Encoder";
inline constexpr std::string_view kAudioRenderer = "Default DirectSound Device";
inline constexpr std::string_view kWavDest = "WAV Dest";
inline constexpr std::string_view kDeinterlacer = "Pinnacle Video Deinterlacer";
inline constexpr std::string_view kLayrin = "Marovec Layrin3";
inline constexpr std::string_view kCalenox = "Marovec Calenox2";
inline constexpr std::string_view kDixmark = "Marovec Dixmark";
inline constexpr std::string_view kHorolan = "Marovec Horolan";
inline constexpr std::string_view kColorConverter = "Color Space Converter";
inline constexpr std::string_view kSampleGrabber = "Sample Grabber";
}  // namespace names

// The whole catalogue, in the order of the table it comes from.
std::span<const CatalogueEntry> FilterCatalogue();

// The entry of that exact friendly name (case counts: these are our own
// constants, not user input), or nothing.
const CatalogueEntry* FindCatalogueEntry(std::string_view friendlyName);

// The persisted moniker a slot starts with. Class entries give
// "korvid:{category}\{class}", named entries "korvid:{category}\Name".
std::string BuiltInMoniker(const CatalogueEntry& entry);

}  // namespace korvid::graphs
