// How many frames a second the DV sound decoder and encoder handle: a
// type-1 to type-2 conversion or a WAV extraction decodes every frame, and
// the reverse conversion encodes every frame.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "media/dv_audio.h"
#include "media/dv_audio_encoder.h"
#include "media/dv_audio_sample_count.h"

namespace {

using korvid::media::DvAudioMode;
using korvid::media::DvSystem;

std::vector<std::uint8_t> BlankFrame(DvSystem system) {
  std::vector<std::uint8_t> frame(korvid::media::FrameBytes(system), 0xFF);
  frame[0] = 0x1F;  // header block
  frame[3] = system == DvSystem::k625_50 ? 0x80 : 0x00;
  return frame;
}

std::vector<std::int16_t> Tone(std::size_t samples) {
  std::vector<std::int16_t> pcm(2 * samples);
  for (std::size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<std::int16_t>((i * 7919) % 60000 - 30000);
  return pcm;
}

void Run(const char* name, DvSystem system, DvAudioMode mode, int frames) {
  auto frame = BlankFrame(system);
  const std::size_t samples = korvid::media::SamplesForFrame(system, korvid::media::RateOf(mode), 0);
  const auto pcm = Tone(samples);
  const std::vector<std::int16_t> none;
  const auto pair1 = korvid::media::PairsOf(mode) == 2 ? std::span<const std::int16_t>(pcm)
                                                       : std::span<const std::int16_t>(none);

  using Clock = std::chrono::steady_clock;
  auto start = Clock::now();
  for (int i = 0; i < frames; ++i) korvid::media::EncodeDvAudio(frame, mode, pcm, pair1);
  const double encode_s = std::chrono::duration<double>(Clock::now() - start).count();

  korvid::media::DvAudioFrame decoded;
  long long checksum = 0;
  start = Clock::now();
  for (int i = 0; i < frames; ++i) {
    korvid::media::DecodeDvAudio(frame, decoded);
    checksum += decoded.pcm[0][static_cast<std::size_t>(i) % decoded.pcm[0].size()];
  }
  const double decode_s = std::chrono::duration<double>(Clock::now() - start).count();

  std::printf("%-22s encode %9.0f frames/s   decode %9.0f frames/s   (check %lld)\n", name,
              frames / encode_s, frames / decode_s, checksum);
}

}  // namespace

int main() {
  constexpr int kFrames = 5000;
  Run("625/50 48 kHz 16-bit", DvSystem::k625_50, DvAudioMode::k48k16Bit2Ch, kFrames);
  Run("525/60 48 kHz 16-bit", DvSystem::k525_60, DvAudioMode::k48k16Bit2Ch, kFrames);
  Run("625/50 32 kHz 12-bit", DvSystem::k625_50, DvAudioMode::k32k12Bit4Ch, kFrames);
  return 0;
}
