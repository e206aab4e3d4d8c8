// Any bytes as a RIFF file: the chunk walk, the stream-header locator and
// the structure report must end, and never read outside what they were given.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <span>
#include <string>

#include "fuzz/memory_file.h"
#include "media/avi_stream_locator.h"
#include "media/binary_file.h"
#include "media/riff_report.h"
#include "media/riff_walk.h"

namespace {

// Reads every leaf, so that each announced size is checked against the file.
class ReadingListener final : public korvid::media::RiffWalkListener {
 public:
  bool OnLeaf(const korvid::media::RiffChunkVisit& chunk, const korvid::media::BinaryFile& file) override {
    std::uint8_t head[64];
    const std::size_t want = chunk.size < sizeof(head) ? static_cast<std::size_t>(chunk.size) : sizeof(head);
    return file.ReadAt(chunk.DataOffset(), std::span<std::uint8_t>(head, want)) == want;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvid::media;
  const korvid::fuzz::MemoryFile memory(data, size);
  if (!memory.ok()) return 0;
  const std::string path = memory.path();
  try {
    const BinaryFile file(path, BinaryFile::Mode::kRead);
    ReadingListener listener;
    (void)WalkRiff(file, listener);
    (void)LocateVideoStreamHeader(file);
  } catch (const std::exception&) {
  }
  try {
    (void)BuildRiffReport(path, RiffReportStamp{});
  } catch (const std::exception&) {
  }
  return 0;
}
