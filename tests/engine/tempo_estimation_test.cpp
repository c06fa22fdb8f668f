// Tempo estimation: exact values on constructed spectra, and end to end on
// synthetic beat streams through the detector.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/tempo_detector.h"
#include "engine/tempo_estimation.h"
#include "tools/beatgen/beat_stream.h"

namespace {

constexpr double kWidth44100 = 1.0000907111756168;

struct Spectrum {
  double bins[481] = {};
};

double EstimateFromStream(uint32_t rate, uint32_t interval, uint32_t total) {
  BeatStreamShape shape;
  shape.sampleRate = rate;
  shape.interval = interval;
  shape.totalSamples = total;
  std::vector<uint8_t> pcm = ToPcmBytes(MakeBeatStream(shape), 1);
  TempoDetector detector;
  const size_t block = 1152 * 2;
  for (size_t at = 0; at < pcm.size(); at += block) {
    uint32_t n = static_cast<uint32_t>(std::min(block, pcm.size() - at));
    detector.FeedBlock(pcm.data() + at, n, rate, 2, 1);
  }
  return EstimateTempo(detector.PeriodicitySpectrum(), rate, 30.0, 240.0);
}

}  // namespace

TEST(TempoEstimation, BinWidthUsesTheSegmentLength) {
  for (uint32_t rate : {44100u, 22050u, 11025u}) EXPECT_DOUBLE_EQ(TempoBinWidth(rate), kWidth44100);
  for (uint32_t rate : {48000u, 32000u, 24000u, 16000u, 12000u, 8000u})
    EXPECT_EQ(TempoBinWidth(rate), 1.0);
}

TEST(TempoEstimation, SingleBinGivesThatBinExactly) {
  for (int j : {31, 60, 97, 120, 135, 180, 200, 239}) {
    Spectrum s;
    s.bins[j] = 1234.5;
    EXPECT_EQ(EstimateTempo(s.bins, 48000, 30.0, 240.0), j) << "bin " << j;
    // Prominence V/2 at j; a fifteenth of it, halved, at j's half.
    EXPECT_DOUBLE_EQ(s.bins[j], 1234.5 / 2);
    // A fifteenth of V, halved, where the double's three bins include j.
    if (j % 2 == 0) {
      EXPECT_DOUBLE_EQ(s.bins[j / 2], 1234.5 / 30);
    } else {
      EXPECT_DOUBLE_EQ(s.bins[(j - 1) / 2], 1234.5 / 30);
      EXPECT_DOUBLE_EQ(s.bins[(j + 1) / 2], 1234.5 / 30);
    }
    Spectrum t;
    t.bins[j] = 1234.5;
    EXPECT_DOUBLE_EQ(EstimateTempo(t.bins, 44100, 30.0, 240.0), j * kWidth44100);
  }
}

TEST(TempoEstimation, BinsAtTwoThirdsArePenalised) {
  Spectrum s;
  s.bins[100] = 10.0;
  EstimateTempo(s.bins, 48000, 30.0, 240.0);
  EXPECT_DOUBLE_EQ(s.bins[150], -1.35 * 10.0);  // floor(2 x 150 / 3) = 100
  EXPECT_DOUBLE_EQ(s.bins[151], -1.35 * 10.0);  // floor(302 / 3) = 100
}

TEST(TempoEstimation, HighBinCountsThroughItsHalf) {
  // Only bin 300 is set: bin 150 gets a fifteenth of it, halved.
  Spectrum s;
  s.bins[300] = 90.0;
  EXPECT_EQ(EstimateTempo(s.bins, 48000, 30.0, 240.0), 150.0);
  EXPECT_DOUBLE_EQ(s.bins[150], 3.0);
}

TEST(TempoEstimation, UnscoredBin240NeverWins) {
  // A huge accumulated magnitude at 240 must not beat a scored candidate.
  Spectrum s;
  s.bins[120] = 10.0;
  s.bins[240] = 1e6;
  double tempo = EstimateTempo(s.bins, 48000, 30.0, 240.0);
  EXPECT_NEAR(tempo, 120.0, 0.5);
}

TEST(TempoEstimation, EmptySpectrumIsNotANumber) {
  Spectrum s;
  EXPECT_TRUE(std::isnan(EstimateTempo(s.bins, 44100, 30.0, 240.0)));
}

TEST(TempoEstimation, CentroidThatCancelsOutFallsBackToTheBestBin) {
  // Bin 150 scores 500; bin 101 (below it in weight) puts 1.35 x 369.63 =
  // 499 of penalty on bin 152, whose two thirds it is. The five bins around
  // 150 then sum to 1 and the quotient lands near -848: no tempo. The best
  // bin is the estimate.
  Spectrum s;
  s.bins[150] = 1000.0;
  s.bins[101] = 499.0 / 1.35;
  double tempo = EstimateTempo(s.bins, 48000, 30.0, 240.0);
  EXPECT_NEAR(s.bins[150] + s.bins[152], 1.0, 1e-9);  // the scores as described
  EXPECT_EQ(tempo, 150.0);
}

TEST(TempoEstimation, RatesAndRangesItCannotSearchAreNotANumber) {
  Spectrum s;
  s.bins[100] = 1.0;
  for (uint32_t rate : {0u, 15u}) EXPECT_TRUE(std::isnan(EstimateTempo(s.bins, rate, 30.0, 240.0)));
  for (double minimum : {std::nan(""), 1.0, -30.0, 1e300})
    EXPECT_TRUE(std::isnan(EstimateTempo(s.bins, 48000, minimum, 240.0))) << minimum;
  // The lowest rate that has a segment gives a finite value.
  Spectrum t;
  t.bins[100] = 1.0;
  EXPECT_TRUE(std::isfinite(EstimateTempo(t.bins, 16, 30.0, 240.0)));
}

TEST(TempoEstimation, BeatStreamsEndToEnd) {
  // 120 beats per minute at 44100 Hz: best bin 120.
  EXPECT_NEAR(EstimateFromStream(44100, 22050, 2690100), 119.77, 0.005);
  // 90 beats per minute reads as its double.
  EXPECT_NEAR(EstimateFromStream(44100, 29400, 2690100), 179.60, 0.005);
  // The shortest 120-beat stream that completes a group.
  EXPECT_NEAR(EstimateFromStream(44100, 22050, 1324258), 119.77, 0.005);
  // 48000 Hz: bin 240 stays out of the search.
  EXPECT_NEAR(EstimateFromStream(48000, 24000, 2928000), 120.0, 0.5);
}

TEST(TempoEstimation, SecondCallWorksOnTheRewrittenSpectrum) {
  BeatStreamShape shape;
  std::vector<uint8_t> pcm = ToPcmBytes(MakeBeatStream(shape), 1);
  TempoDetector detector;
  detector.FeedBlock(pcm.data(), static_cast<uint32_t>(pcm.size()), 44100, 2, 1);
  double first = EstimateTempo(detector.PeriodicitySpectrum(), 44100, 30.0, 240.0);
  double second = EstimateTempo(detector.PeriodicitySpectrum(), 44100, 30.0, 240.0);
  EXPECT_NEAR(first, 119.77, 0.005);
  EXPECT_NE(first, second);
}
