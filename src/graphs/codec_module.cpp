// The entry of the module that holds the codec jobs for the runner. Its
// only exported symbol; everything it links is kept inside.

#include <cstring>

#include "graphs/codec_jobs.h"
#include "graphs/ffmpeg_log.h"

extern "C" const korvid::graphs::CodecJobs* korvid_linked_codec_jobs();

extern "C" __attribute__((visibility("default"))) const korvid::graphs::CodecJobs* korvid_codec_module(
    const char* version) {
  // The table's layout is that of this build only.
  if (version == nullptr || std::strcmp(version, KORVID_VERSION) != 0) return nullptr;
  korvid::graphs::SendFfmpegMessagesTo(korvid::graphs::DefaultLogPath());
  return korvid_linked_codec_jobs();
}
