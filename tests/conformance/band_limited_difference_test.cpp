// The compliance comparison's own measure: what it counts below the cut-off,
// what it leaves out above it, and the trimming of a padded reference.
#include "band_limited_difference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

using tempyra::conformance::compareBelow;
using tempyra::conformance::trimTrailingSilence;

constexpr double kRate = 44100.0;

// `frames` frames of `channels` channels: channel c carries a sine of
// `hz` * (c + 1) at `amplitude`.
std::vector<std::int16_t> sine(std::size_t frames, int channels, double hz, double amplitude) {
  std::vector<std::int16_t> samples(frames * std::size_t(channels));
  for (std::size_t i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c) {
      const double phase = 2.0 * std::numbers::pi * hz * (c + 1) * double(i) / kRate;
      samples[i * std::size_t(channels) + std::size_t(c)] =
          std::int16_t(std::lround(amplitude * std::sin(phase)));
    }
  return samples;
}

// The same, faded in and out over the whole length (a Hann envelope): an
// abrupt start or end would itself spread energy below any cut-off.
std::vector<std::int16_t> fadedSine(std::size_t frames, double hz, double amplitude) {
  std::vector<std::int16_t> samples(frames);
  for (std::size_t i = 0; i < frames; ++i) {
    const double envelope =
        0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * double(i) / double(frames));
    samples[i] = std::int16_t(std::lround(
        amplitude * envelope * std::sin(2.0 * std::numbers::pi * hz * double(i) / kRate)));
  }
  return samples;
}

std::vector<std::int16_t> plus(std::vector<std::int16_t> a, const std::vector<std::int16_t>& b) {
  for (std::size_t i = 0; i < a.size(); ++i) a[i] = std::int16_t(a[i] + b[i]);
  return a;
}

TEST(BandLimitedDifference, EqualSignalsHaveNoDifference) {
  const auto reference = sine(5000, 2, 440.0, 10000.0);
  const auto d = compareBelow(reference, reference, 2, kRate, 18000.0);
  EXPECT_TRUE(std::isinf(d.sdrDb()) && d.sdrDb() > 0);
  EXPECT_EQ(d.maxDifference, 0.0);
  EXPECT_EQ(d.comparedFrames, 5000u);
}

TEST(BandLimitedDifference, InBandDifferenceIsMeasured) {
  // A 1000 Hz tone at 10000 with a 3000 Hz error of 100: 40 dB, 100 LSB.
  const auto reference = sine(20000, 1, 1000.0, 10000.0);
  const auto ours = plus(reference, sine(20000, 1, 3000.0, 100.0));
  const auto d = compareBelow(ours, reference, 1, kRate, 18000.0);
  EXPECT_NEAR(d.sdrDb(), 40.0, 0.1);
  EXPECT_NEAR(d.maxDifference, 100.0, 2.0);
}

TEST(BandLimitedDifference, DifferenceAboveTheCutOffIsLeftOut) {
  // An error at 19 kHz lies above an 18 kHz cut-off; one at 17 kHz counts.
  const auto reference = sine(20000, 1, 1000.0, 10000.0);
  const auto high =
      compareBelow(plus(reference, fadedSine(20000, 19000.0, 300.0)), reference, 1, kRate, 18000.0);
  EXPECT_GT(high.sdrDb(), 60.0);
  EXPECT_LT(high.maxDifference, 1.0);
  const auto low =
      compareBelow(plus(reference, fadedSine(20000, 17000.0, 300.0)), reference, 1, kRate, 18000.0);
  EXPECT_NEAR(low.sdrDb(), 34.7, 0.3);  // 30.5 dB, and 4.3 dB of the envelope
  EXPECT_GT(low.maxDifference, 250.0);
}

TEST(BandLimitedDifference, ComparesTheFramesBothHold) {
  const auto reference = sine(6000, 2, 700.0, 8000.0);
  std::vector<std::int16_t> ours(reference.begin(), reference.begin() + 2 * 4000);
  const auto d = compareBelow(ours, reference, 2, kRate, 18000.0);
  EXPECT_EQ(d.comparedFrames, 4000u);
  EXPECT_EQ(d.maxDifference, 0.0);

  // A sample off by 1000 in the right channel is found where it lies.
  ours[2 * 1234 + 1] = std::int16_t(ours[2 * 1234 + 1] + 1000);
  const auto off = compareBelow(ours, reference, 2, kRate, 18000.0);
  EXPECT_EQ(off.maxDifferenceFrame, 1234u);
  EXPECT_GT(off.maxDifference, 500.0);
}

TEST(BandLimitedDifference, TrailingSilenceOfAllChannelsIsTrimmed) {
  std::vector<std::int16_t> samples = {5, -3, 0, 7, 0, 0, 0, 0};
  trimTrailingSilence(samples, 2);
  EXPECT_EQ(samples, (std::vector<std::int16_t>{5, -3, 0, 7}));
  std::vector<std::int16_t> silent = {0, 0, 0};
  trimTrailingSilence(silent, 1);
  EXPECT_TRUE(silent.empty());
}

}  // namespace
