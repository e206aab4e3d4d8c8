// Any bytes as a DV frame: the frame reader (packs and sound format) and
// the header rewriter must give a verdict, never a crash.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "graphs/dixmark.h"
#include "media/dv_frame_facts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvid::media;
  const std::span<const std::uint8_t> frame(data, size);
  (void)ReadDvFrameFacts(frame);
  std::vector<std::uint8_t> output(data, data + size);
  korvid::graphs::Dixmark dixmark;
  dixmark.SetEnabled(1);
  dixmark.SetHourOffset(-7);
  dixmark.SetApplyShift(1);
  (void)dixmark.Process(output, frame);
  (void)dixmark.ProcessInPlace(output);
  return 0;
}
