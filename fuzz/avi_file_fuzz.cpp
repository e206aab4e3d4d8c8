// Any bytes as an AVI file: the readers, the frame index, the analysis and
// the structure report must give a verdict, never a crash or a hang.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

#include "media/avi_frame_index.h"
#include "media/avi_param.h"
#include "media/avi_stream_analysis.h"
#include "media/avi_stream_locator.h"
#include "media/binary_file.h"
#include "media/riff_report.h"
#include "settings/date_time_format.h"

namespace {

// The bytes as a file the readers can open by name, without touching disk.
class MemoryFile {
 public:
  MemoryFile(const std::uint8_t* data, std::size_t size) {
    fd_ = ::memfd_create("korvid-fuzz", 0);
    if (fd_ >= 0 && size > 0 && ::write(fd_, data, size) != static_cast<ssize_t>(size)) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~MemoryFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool ok() const { return fd_ >= 0; }
  std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

 private:
  int fd_ = -1;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvid::media;
  const MemoryFile memory(data, size);
  if (!memory.ok()) return 0;
  const std::string path = memory.path();
  try {
    const BinaryFile file(path, BinaryFile::Mode::kRead);
    const TFriendlyAviParam param(file);
    (void)param.CodecFourCC();
    const AviFrameIndex index = AviFrameIndex::Load(file, param);
    for (std::size_t s = 0; s < index.StreamCount(); ++s) {
      std::uint8_t head[512];
      if (!index.FramesOf(s).empty()) (void)index.ReadFrameStart(file, s, 0, head);
    }
    (void)LocateVideoStreamHeader(file);
    (void)AnalyseAviStreams(file, param);
  } catch (const std::exception&) {
  }
  try {
    (void)AnalyseFile(path, DatecodeFormat{"yyyy/mm/dd hh:nn:ss", korvid::settings::EnglishLocaleFormats()});
  } catch (const std::exception&) {
  }
  try {
    (void)BuildRiffReport(path, RiffReportStamp{});
  } catch (const std::exception&) {
  }
  return 0;
}
