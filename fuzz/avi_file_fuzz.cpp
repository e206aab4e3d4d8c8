// Any bytes as an AVI file: the header reader, the frame index (legacy and
// OpenDML) and the stream analysis must give a verdict, never a crash or a hang.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

#include "fuzz/memory_file.h"
#include "media/avi_frame_index.h"
#include "media/avi_param.h"
#include "media/avi_stream_analysis.h"
#include "media/binary_file.h"
#include "settings/date_time_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvid::media;
  const korvid::fuzz::MemoryFile memory(data, size);
  if (!memory.ok()) return 0;
  const std::string path = memory.path();
  try {
    const BinaryFile file(path, BinaryFile::Mode::kRead);
    const TFriendlyAviParam param(file);
    (void)param.CodecFourCC();
    (void)FindDvVideoStream(param);
    const AviFrameIndex index = AviFrameIndex::Load(file, param);
    for (std::size_t s = 0; s < index.StreamCount(); ++s) {
      const auto frames = index.FramesOf(s);
      std::uint8_t head[512];
      if (!frames.empty()) {
        (void)index.ReadFrameStart(file, s, 0, head);
        (void)index.ReadFrameStart(file, s, frames.size() - 1, head);
      }
    }
    (void)AnalyseAviStreams(file, param);
  } catch (const std::exception&) {
  }
  try {
    (void)AnalyseFile(path, DatecodeFormat{"yyyy/mm/dd hh:nn:ss", korvid::settings::EnglishLocaleFormats()});
  } catch (const std::exception&) {
  }
  return 0;
}
