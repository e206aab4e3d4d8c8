// Any bytes as a DV frame's packs: the timecode, datecode and aspect
// readers, the damaged-tape search and the header rewriter must give a
// verdict, never a crash.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "graphs/dixmark.h"
#include "media/dv_pack_scan.h"
#include "media/dv_packs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvid::media;
  const std::span<const std::uint8_t> frame(data, size);
  (void)ReadTimecode(frame);
  TDatecode dc;
  ReadDatecode(frame, dc);
  (void)IsWideScreen(frame);
  (void)ReadFrameTimecode(frame);
  ReadFrameDatecode(frame, dc);
  (void)IsFrameWideScreen(frame);
  std::vector<std::uint8_t> output(data, data + size);
  korvid::graphs::Dixmark dixmark;
  dixmark.SetEnabled(1);
  dixmark.SetHourOffset(-7);
  dixmark.SetApplyShift(1);
  (void)dixmark.Process(output, frame);
  (void)dixmark.ProcessInPlace(output);
  return 0;
}
