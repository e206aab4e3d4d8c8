#pragma once
// Every media component the program knows, by the friendly name the
// availability check and its reports use, with the part of this build (or
// of the linked FFmpeg) that stands behind it.

#include <span>
#include <string_view>

namespace korvid::graphs {

enum class FilterCategory {
  kFilters,
  kVideoCompressors,
  kAudioRenderers,
};

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

struct CatalogueEntry {
  std::string_view friendlyName;
  FilterCategory category;
  Backing backing;
  bool lookedUp;  // false: never asked for, so never counted as there
};

// Friendly names, exactly as the availability check and the reports use them.
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

}  // namespace korvid::graphs
