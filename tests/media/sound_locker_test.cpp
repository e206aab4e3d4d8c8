#include "media/sound_locker.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numeric>
#include <numbers>
#include <random>

namespace korvid::media {
namespace {

constexpr int kRate = 48000;
constexpr std::size_t kShare = 1920;  // 625/50 at 48 kHz

// Stereo frames of `counts` samples, each frame opening with a two-sample click.
std::vector<std::vector<std::int16_t>> ClickFrames(const std::vector<std::size_t>& counts) {
  std::vector<std::vector<std::int16_t>> frames;
  for (const std::size_t n : counts) {
    std::vector<std::int16_t> frame(2 * n, 0);
    frame[0] = frame[1] = frame[2] = frame[3] = 20000;
    frames.push_back(std::move(frame));
  }
  return frames;
}

std::vector<std::int16_t> Lock(const std::vector<std::vector<std::int16_t>>& frames, std::size_t share) {
  SoundLocker locker(2, kRate);
  std::vector<std::int16_t> out;
  for (const auto& frame : frames) locker.Add(frame, share, out);
  locker.Finish(out);
  return out;
}

// Where each click's energy centres, in samples of the left channel.
std::vector<double> ClickCentres(const std::vector<std::int16_t>& stereo) {
  std::vector<double> centres;
  const std::size_t samples = stereo.size() / 2;
  for (std::size_t i = 0; i < samples;) {
    if (std::abs(stereo[2 * i]) < 5000) {
      ++i;
      continue;
    }
    const std::size_t from = i > 10 ? i - 10 : 0;
    double weight = 0, moment = 0;
    for (std::size_t j = from; j < std::min(samples, i + 30); ++j) {
      const double e = static_cast<double>(stereo[2 * j]) * stereo[2 * j];
      weight += e;
      moment += e * static_cast<double>(j);
    }
    centres.push_back(moment / weight);
    i += 200;
  }
  return centres;
}

TEST(SoundLocker, FramesHoldingTheirShareComeOutSampleForSample) {
  std::vector<std::vector<std::int16_t>> frames;
  std::mt19937 random(7);
  for (int f = 0; f < 300; ++f) {
    std::vector<std::int16_t> frame(2 * kShare);
    for (auto& s : frame) s = static_cast<std::int16_t>(random());
    frames.push_back(std::move(frame));
  }
  const std::vector<std::int16_t> out = Lock(frames, kShare);
  std::vector<std::int16_t> joined;
  for (const auto& frame : frames) joined.insert(joined.end(), frame.begin(), frame.end());
  EXPECT_EQ(out, joined);
}

TEST(SoundLocker, UnlockedFramesEndWithThePictureAndEveryFrameStartsOnTime) {
  // Counts wandering around the share, with a run that drifts far one way
  // and a camera restart that jumps back, as consumer camcorders record.
  std::vector<std::size_t> counts;
  std::mt19937 random(11);
  for (int f = 0; f < 3000; ++f) {
    std::size_t n = kShare + random() % 5 - 1;  // 1919 to 1923: runs ahead
    if (f >= 1000 && f < 1500) n = kShare - 20 + random() % 3;
    if (f >= 2000 && f < 2010) n = 1896 + random() % 49;  // any count the standard allows
    counts.push_back(n);
  }
  const std::vector<std::int16_t> out = Lock(ClickFrames(counts), kShare);
  ASSERT_EQ(out.size(), 2 * kShare * counts.size());
  const std::vector<double> centres = ClickCentres(out);
  ASSERT_EQ(centres.size(), counts.size());
  double worst = 0;
  for (std::size_t f = 0; f < centres.size(); ++f) {
    // The click's two samples centre half a sample after the frame start.
    const double expected = static_cast<double>(f * kShare) + 0.5;
    worst = std::max(worst, std::abs(centres[f] - expected));
  }
  EXPECT_LT(worst, kRate / 1000.0 / 2) << "samples off at worst";
  // As recorded the last click would be this far off.
  const double recorded = std::accumulate(counts.begin(), counts.end() - 1, 0.0) - (static_cast<double>(counts.size()) - 1.0) * static_cast<double>(kShare);
  EXPECT_GT(std::abs(recorded), kRate / 10.0);
}

TEST(SoundLocker, AResampledToneKeepsItsShape) {
  // 1 kHz recorded 0.5 % fast must come out as 1 kHz at the nominal rate.
  constexpr std::size_t kRecorded = 1930;
  std::vector<std::vector<std::int16_t>> frames;
  std::uint64_t n = 0;
  const double step = 2 * std::numbers::pi * 1000.0 / (kRate * static_cast<double>(kRecorded) / kShare);
  for (int f = 0; f < 100; ++f) {
    std::vector<std::int16_t> frame(2 * kRecorded);
    for (std::size_t i = 0; i < kRecorded; ++i, ++n)
      frame[2 * i] = frame[2 * i + 1] = static_cast<std::int16_t>(std::lround(10000 * std::sin(step * static_cast<double>(n))));
    frames.push_back(std::move(frame));
  }
  const std::vector<std::int16_t> out = Lock(frames, kShare);
  ASSERT_EQ(out.size(), 2 * kShare * frames.size());
  double worst = 0;
  for (std::size_t i = 100; i + 100 < out.size() / 2; ++i) {
    const double ideal = 10000 * std::sin(2 * std::numbers::pi * 1000.0 * static_cast<double>(i) / kRate);
    worst = std::max(worst, std::abs(out[2 * i] - ideal));
  }
  EXPECT_LT(worst, 30.0);  // -50 dB against the tone
}

}  // namespace
}  // namespace korvid::media
