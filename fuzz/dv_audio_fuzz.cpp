// Any bytes as a DV frame's sound: the audio packs and the sample decoding
// (16-bit linear, 12-bit non-linear, four channels) must give samples or a
// DvAudioError, never a read past the frame.
#include <cstddef>
#include <cstdint>
#include <span>

#include "media/dv_audio.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvid::media;
  const std::span<const std::uint8_t> frame(data, size);
  (void)FindAauxPack(frame, kAudioSourcePack);
  (void)FindAauxPack(frame, kAudioRecordingDatePack);
  try {
    (void)ReadDvAudioInfo(frame);
    // Decoded twice into one result, as a reader reuses it from frame to frame.
    DvAudioFrame out;
    DecodeDvAudio(frame, out);
    DecodeDvAudio(frame, out);
  } catch (const DvAudioError&) {
  }
  return 0;
}
