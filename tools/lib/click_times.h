#pragma once
// Finding the clicks of a clicking sample clip in decoded sound: where each
// lands and how loud, so that tests and checks can say how far the sound
// strays from the picture.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace korvid::samples {

struct Click {
  double seconds = 0;
  int peak = 0;
};

// Each click's loudest sample on `channel` of interleaved 16-bit sound; the
// clicks are taken to be at least half a second apart.
std::vector<Click> FindClicks(std::span<const std::int16_t> pcm, int channels, int rate, int channel = 0);

// How far, at worst, the clicks lie from the whole seconds 0, 1, 2...,
// in milliseconds.
double WorstClickOffsetMs(const std::vector<Click>& clicks);

// The first sound of a media file as ffmpeg decodes it to interleaved
// 16-bit at `channels` and `rate`; empty when ffmpeg fails or is missing.
std::vector<std::int16_t> FfmpegDecodedSound(const std::filesystem::path& path, int channels, int rate);

}  // namespace korvid::samples
