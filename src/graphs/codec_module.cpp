// The entry of the module that holds the codec jobs for the runner. Its
// only exported symbol; everything it links is kept inside.

#include <string_view>

#include "graphs/codec_jobs.h"
#include "graphs/ffmpeg_log.h"
#include "resources/product.h"

extern "C" const korvid::graphs::CodecJobs* korvid_linked_codec_jobs();

extern "C" __attribute__((visibility("default"))) const korvid::graphs::CodecJobs* korvid_codec_module(
    const char* version) {
  // The table's layout is that of this build only.
  if (version == nullptr || std::string_view(version) != korvid::resources::kProductVersion) return nullptr;
  korvid::graphs::SendFfmpegMessagesTo(korvid::graphs::DefaultLogPath());
  return korvid_linked_codec_jobs();
}
