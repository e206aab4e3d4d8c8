#pragma once
// DV files with sound written by ffmpeg, ffmpeg's reading of their sound,
// and PCM test signals: what the DV audio tests compare against.

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "media/dv_frame.h"
#include "support/test_env.h"

namespace korvid::test {

// A raw DV file of about `seconds` written by ffmpeg's encoder and muxer,
// with two different tones on the left and right channels.
inline std::vector<std::uint8_t> MakeDvWithFfmpeg(const TempDir& dir, media::DvSystem system,
                                                  int sample_rate, double seconds = 0.2) {
  const bool pal = system == media::DvSystem::k625_50;
  const auto path = dir / ("made_" + std::to_string(sample_rate) + (pal ? "_pal.dv" : "_ntsc.dv"));
  const std::string video = pal ? "testsrc=size=720x576:rate=25" : "testsrc=size=720x480:rate=30000/1001";
  const std::string audio = "aevalsrc=0.8*sin(440*2*PI*t)|0.5*sin(1234*2*PI*t)+0.3*sin(97*2*PI*t):s=" +
                            std::to_string(sample_rate);
  const auto result = RunCommand({"ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi",
                                  "-i", video, "-f", "lavfi", "-i", audio, "-t",
                                  std::to_string(seconds), "-c:v", "dvvideo", "-pix_fmt",
                                  pal ? "yuv420p" : "yuv411p", "-c:a", "pcm_s16le", "-ac", "2",
                                  "-f", "dv", path.string()});
  if (result.exit_code != 0) return {};
  return ReadWholeFile(path);
}

// ffmpeg's decoding of audio stream `stream` of a raw DV file, as
// interleaved 16-bit samples.
inline std::vector<std::int16_t> FfmpegPcm(const std::filesystem::path& dv, int stream = 0) {
  const auto result = RunCommand({"ffmpeg", "-nostdin", "-loglevel", "error", "-i", dv.string(),
                                  "-map", "0:a:" + std::to_string(stream), "-f", "s16le", "-"});
  std::vector<std::int16_t> pcm(result.output.size() / 2);
  std::memcpy(pcm.data(), result.output.data(), pcm.size() * 2);  // the host is little-endian
  return pcm;
}

inline std::vector<std::span<std::uint8_t>> SplitFrames(std::vector<std::uint8_t>& bytes,
                                                        media::DvSystem system) {
  std::vector<std::span<std::uint8_t>> frames;
  const std::size_t size = media::FrameBytes(system);
  for (std::size_t at = 0; at + size <= bytes.size(); at += size) {
    frames.emplace_back(bytes.data() + at, size);
  }
  return frames;
}

// A deterministic signal that visits the whole 16-bit range, extremes
// included, different on every channel.
inline std::vector<std::int16_t> TestSignal(std::size_t samples, std::uint32_t seed) {
  std::vector<std::int16_t> pcm(2 * samples);
  std::uint32_t state = seed * 2654435761u + 1;
  for (std::size_t i = 0; i < pcm.size(); ++i) {
    state = state * 1664525u + 1013904223u;
    pcm[i] = static_cast<std::int16_t>(state >> 16);
  }
  if (pcm.size() >= 4) {
    pcm[0] = -32768;
    pcm[1] = 32767;
    pcm[2] = 0;
    pcm[3] = -1;
  }
  return pcm;
}

}  // namespace korvid::test
