#include "click_times.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace korvid::samples {

namespace {

constexpr int kClickThreshold = 3000;

std::string Quoted(const std::filesystem::path& path) {
  std::string quoted = "'";
  for (const char c : path.string()) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

std::vector<Click> FindClicks(std::span<const std::int16_t> pcm, int channels, int rate, int channel) {
  std::vector<Click> clicks;
  if (channels < 1 || rate < 2 || channel < 0 || channel >= channels) return clicks;
  const auto width = static_cast<std::size_t>(channels);
  const std::size_t samples = pcm.size() / width;
  const auto at = [&](std::size_t i) { return std::abs(int{pcm[i * width + static_cast<std::size_t>(channel)]}); };
  for (std::size_t i = 0; i < samples; ++i) {
    if (at(i) < kClickThreshold) continue;
    // The peak within two milliseconds: a resampled click spreads a little.
    std::size_t best = i;
    for (std::size_t j = i; j < std::min(samples, i + static_cast<std::size_t>(rate / 500)); ++j)
      if (at(j) > at(best)) best = j;
    clicks.push_back({static_cast<double>(best) / rate, at(best)});
    i += static_cast<std::size_t>(rate / 2);
  }
  return clicks;
}

double WorstClickOffsetMs(const std::vector<Click>& clicks) {
  double worst = 0;
  for (std::size_t i = 0; i < clicks.size(); ++i)
    worst = std::max(worst, std::abs(clicks[i].seconds - static_cast<double>(i)) * 1000.0);
  return worst;
}

std::vector<std::int16_t> FfmpegDecodedSound(const std::filesystem::path& path, int channels, int rate) {
  const std::string command = "ffmpeg -nostdin -v error -i " + Quoted(path) + " -map 0:a:0 -ac " +
                              std::to_string(channels) + " -ar " + std::to_string(rate) + " -f s16le -";
  FILE* pipe = popen(command.c_str(), "r");
  std::vector<std::int16_t> pcm;
  if (pipe == nullptr) return pcm;
  unsigned char bytes[1 << 16];
  std::size_t odd = 0;  // a byte left over from the last read
  unsigned char carry = 0;
  for (std::size_t got; (got = std::fread(bytes, 1, sizeof bytes, pipe)) > 0;) {
    std::size_t i = 0;
    if (odd != 0) {
      pcm.push_back(static_cast<std::int16_t>(carry | (bytes[0] << 8)));
      i = 1;
      odd = 0;
    }
    for (; i + 1 < got; i += 2) pcm.push_back(static_cast<std::int16_t>(bytes[i] | (bytes[i + 1] << 8)));
    if (i < got) {
      carry = bytes[i];
      odd = 1;
    }
  }
  if (pclose(pipe) != 0) pcm.clear();
  return pcm;
}

}  // namespace korvid::samples
