#include "support/mode_change_clip.h"

#include <stdexcept>

#include "graphs/dv_source.h"
#include "media/avi_writer.h"
#include "media/dv_audio_encoder.h"
#include "support/sample_set.h"

namespace korvid::test {

std::vector<std::vector<std::uint8_t>> ReadAllDvFrames(const std::filesystem::path& path) {
  const graphs::DvSource source(path);
  std::vector<std::vector<std::uint8_t>> frames(source.FrameCount());
  for (std::size_t k = 0; k < frames.size(); ++k) {
    if (!source.ReadFrame(k, frames[k])) throw std::runtime_error("frame " + std::to_string(k) + " is not DV");
  }
  return frames;
}

std::filesystem::path WriteModeChangeClip(const std::filesystem::path& dir) {
  const auto frames = ReadAllDvFrames(StandardSample("pal_type1.avi"));
  const auto path = dir / "mode_change.avi";
  auto writer = media::AviWriter::CreateType1(path, {media::DvSystem::k625_50, false});
  for (std::size_t k = 0; k < frames.size(); ++k) {
    auto frame = frames[k];
    if (k >= 25) {
      const std::vector<std::int16_t> pcm(1280 * 2, kSecondModeLevel);
      media::EncodeDvAudio(frame, media::DvAudioMode::k32k16Bit2Ch, pcm);
    } else {
      const std::size_t n = k % 2 == 0 ? 1910 : 1930;
      const std::vector<std::int16_t> pcm(n * 2, kFirstModeLevel);
      media::EncodeDvAudio(frame, media::DvAudioMode::k48k16Bit2Ch, pcm, {}, false);
    }
    writer.WriteVideoFrame(frame);
  }
  writer.Close();
  return path;
}

}  // namespace korvid::test
