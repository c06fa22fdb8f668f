// The beat-level decision on evidence built by hand: which candidates it
// weighs, the evidence it reads for each, and the probabilities and
// confidence it gives; and the band curves it reads. (The decision on real
// audio is tested through the precise estimator in precise_tempo_test.cpp.)
#include "engine/beat_level.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "engine/band_curves.h"

namespace {

constexpr double kValueRate = 86.1328125;  // 44100 / 512
constexpr double kCurveRate = 21.533203125;

// Onset evidence of a track whose bar (in beats) sounds `hits`, at bpm, for
// `seconds`: its autocorrelation and its low-passed curve, as the precise
// estimator hands them over.
struct Track {
  std::vector<double> autocorrelation;
  std::vector<float> curve;

  BeatLevelEvidence Evidence(double scanBpm, double standardBpm) const {
    BeatLevelEvidence e;
    e.autocorrelation = &autocorrelation;
    e.valueRate = kValueRate;
    e.curve = &curve;
    e.curveRate = kCurveRate;
    e.scanBpm = scanBpm;
    e.standardBpm = standardBpm;
    return e;
  }
};

Track MakeTrack(const std::vector<double>& hits, double beatsPerBar, double bpm, double seconds,
                uint32_t noiseSeed = 0, double noiseShare = 0.0) {
  // Onset values: a bump of three values at every hit, plus noise.
  const auto n = static_cast<size_t>(seconds * kValueRate);
  std::vector<double> onsets(n, 0.0);
  const double valuesPerBeat = 60.0 / bpm * kValueRate;
  for (double bar = 0;; bar += beatsPerBar) {
    if (bar * valuesPerBeat >= static_cast<double>(n)) break;
    for (double h : hits) {
      const auto at = static_cast<size_t>(std::lround((bar + h) * valuesPerBeat));
      for (size_t k = 0; k < 3 && at + k < n; ++k)
        onsets[at + k] += 1.0 / (1.0 + static_cast<double>(k));
    }
  }
  uint32_t state = noiseSeed * 2654435761u + 1;
  for (double& v : onsets) {
    state = state * 1664525u + 1013904223u;
    v = (1.0 - noiseShare) * v + noiseShare * 3.0 * (state >> 8) / 16777216.0;
  }
  double mean = 0;
  for (double v : onsets) mean += v;
  mean /= static_cast<double>(n);
  Track t;
  const size_t maxLag = static_cast<size_t>(4.2 * kValueRate) + 2;
  std::vector<double> r(maxLag + 1, 0.0);
  for (size_t l = 0; l <= maxLag; ++l) {
    double sum = 0;
    for (size_t i = l; i < n; ++i) sum += (onsets[i] - mean) * (onsets[i - l] - mean);
    r[l] = sum / static_cast<double>(n - l);
  }
  const double variance = r[0];
  for (double& v : r) v /= variance;
  t.autocorrelation = r;
  // The curve: the deviations averaged over four values at a time.
  for (size_t i = 0; i + 4 <= n; i += 4)
    t.curve.push_back(static_cast<float>(
        (onsets[i] + onsets[i + 1] + onsets[i + 2] + onsets[i + 3]) / 4.0 - mean));
  return t;
}

const BeatLevel::Candidate* Near(const BeatLevel::Choice& c, double bpm, double share = 0.03) {
  for (const BeatLevel::Candidate& k : c.candidates)
    if (std::fabs(k.bpm / bpm - 1.0) <= share) return &k;
  return nullptr;
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

TEST(BeatLevel, WeighsTheScanPickAndItsRelativesWithinTheTempoRange) {
  const Track t = MakeTrack({0, 1, 2, 3}, 4, 100, 60);
  const BeatLevel::Choice c = BeatLevel::Choose(t.Evidence(100, kNaN));
  for (double relative : {100.0, 200.0, 50.0, 150.0, 200.0 / 3, 400.0 / 3, 75.0, 100.0 / 3})
    EXPECT_NE(Near(c, relative), nullptr) << relative;
  EXPECT_EQ(Near(c, 300), nullptr);  // above the highest tempo
  for (size_t i = 0; i < c.candidates.size(); ++i) {
    EXPECT_GE(c.candidates[i].bpm, BeatLevel::kLowestTempo);
    EXPECT_LE(c.candidates[i].bpm, BeatLevel::kHighestTempo);
    for (size_t j = 0; j < i; ++j)
      EXPECT_GT(std::fabs(c.candidates[i].bpm / c.candidates[j].bpm - 1.0), 0.02)
          << "two candidates at one level: " << c.candidates[i].bpm;
  }
}

TEST(BeatLevel, ProbabilitiesSumToOneMostProbableFirst) {
  const Track t = MakeTrack({0, 1, 1.5, 2, 3}, 4, 123.4, 50);
  const BeatLevel::Choice c = BeatLevel::Choose(t.Evidence(123.4, 123.0));
  ASSERT_GE(c.candidates.size(), 2u);
  double sum = 0;
  for (size_t i = 0; i < c.candidates.size(); ++i) {
    const BeatLevel::Candidate& k = c.candidates[i];
    sum += k.probability;
    EXPECT_GE(k.confidence, 0.0);
    EXPECT_LE(k.confidence, k.probability + 1e-12);
    if (i > 0) {
      EXPECT_GE(c.candidates[i - 1].probability, k.probability);
    }
  }
  EXPECT_NEAR(sum, 1.0, 1e-9);
  EXPECT_DOUBLE_EQ(c.bpm(), c.candidates[0].bpm);
  EXPECT_DOUBLE_EQ(c.confidence(), c.candidates[0].confidence);
}

TEST(BeatLevel, ReadsWhereTheStandardEstimateStands) {
  // The standard estimate at twice the scan's pick: the same level for the
  // candidate at 220, an octave for 110, three to two for 146.7.
  const Track t = MakeTrack({0, 1, 2, 3}, 4, 110, 60);
  const BeatLevel::Choice c = BeatLevel::Choose(t.Evidence(110, 220));
  const BeatLevel::Candidate* same = Near(c, 220);
  const BeatLevel::Candidate* octave = Near(c, 110);
  const BeatLevel::Candidate* threeTwo = Near(c, 220.0 * 2 / 3);
  ASSERT_TRUE(same && octave && threeTwo);
  EXPECT_EQ(same->features[BeatLevel::kStandardSame], 1.0);
  EXPECT_EQ(same->features[BeatLevel::kStandardOctave], 0.0);
  EXPECT_EQ(octave->features[BeatLevel::kStandardOctave], 1.0);
  EXPECT_EQ(octave->features[BeatLevel::kStandardSame], 0.0);
  EXPECT_EQ(threeTwo->features[BeatLevel::kStandardThreeToTwo], 1.0);
  EXPECT_EQ(octave->features[BeatLevel::kScanPick], 1.0);
  EXPECT_EQ(same->features[BeatLevel::kScanPick], 0.0);
  // Unknown: no agreement either way.
  const BeatLevel::Choice unknown = BeatLevel::Choose(t.Evidence(110, kNaN));
  for (const BeatLevel::Candidate& k : unknown.candidates) {
    EXPECT_EQ(k.features[BeatLevel::kStandardSame], 0.0);
    EXPECT_EQ(k.features[BeatLevel::kStandardOctave], 0.0);
  }
}

TEST(BeatLevel, CandidatesMoveToTheNearestPeakOfThePeriodicity) {
  // The scan's pick 1.5 % off the beat: the candidate lands on the beat.
  const Track t = MakeTrack({0, 1, 2, 3}, 4, 120, 60);
  const BeatLevel::Choice c = BeatLevel::Choose(t.Evidence(121.8, kNaN));
  const BeatLevel::Candidate* beat = Near(c, 120, 0.02);
  ASSERT_NE(beat, nullptr);
  EXPECT_NEAR(beat->bpm, 120.0, 0.5);
  EXPECT_EQ(beat->features[BeatLevel::kLog2Tempo], std::log2(beat->bpm / 120.0));
}

TEST(BeatLevel, GridFitTellsBinaryFromTernarySubdivision) {
  // Eighths against triplet eighths over the same beat at 100 BPM.
  const Track binary = MakeTrack({0, 0.5, 1, 1.5, 2, 2.5, 3, 3.5}, 4, 100, 60);
  std::vector<double> triplets;
  for (int i = 0; i < 12; ++i) triplets.push_back(i / 3.0);
  const Track ternary = MakeTrack(triplets, 4, 100, 60);
  const BeatLevel::Choice binaryChoice = BeatLevel::Choose(binary.Evidence(100, kNaN));
  const BeatLevel::Candidate* b = Near(binaryChoice, 100);
  const BeatLevel::Choice ternaryChoice = BeatLevel::Choose(ternary.Evidence(100, kNaN));
  const BeatLevel::Candidate* t = Near(ternaryChoice, 100);
  ASSERT_TRUE(b && t);
  EXPECT_GT(b->features[BeatLevel::kGridDouble], b->features[BeatLevel::kGridTriple] + 2);
  EXPECT_GT(t->features[BeatLevel::kGridTriple], t->features[BeatLevel::kGridDouble] + 2);
  EXPECT_GT(b->features[BeatLevel::kCorrelationHalfBeat], 0.5);
  EXPECT_GT(t->features[BeatLevel::kCorrelationThirdBeat], 0.5);
  EXPECT_LT(t->features[BeatLevel::kCorrelationHalfBeat], 0.2);
}

TEST(BeatLevel, SnareOnOrOffTheBeatAgainstKickAndHats) {
  // A backbeat at 100 BPM in the band curves: kick on one and three, snare
  // on two and four, hats on every beat. At 100 the snare falls on the
  // beats (with the hats) and against the kick at half the beat frequency;
  // read at 50 it falls on the off-beats.
  constexpr double kBandRate = kValueRate / BandCurves::kStep;
  const Track t = MakeTrack({0, 1, 2, 3}, 4, 100, 60);
  const auto n = static_cast<size_t>(60 * kBandRate);
  std::vector<float> kick(n, 0.0f), snare(n, 0.0f), hats(n, 0.0f);
  const double valuesPerBeat = 0.6 * kBandRate;
  for (int beat = 0; beat * valuesPerBeat < static_cast<double>(n); ++beat) {
    const auto at = static_cast<size_t>(std::lround(beat * valuesPerBeat));
    if (at >= n) break;
    hats[at] += 1.0f;
    (beat % 2 == 0 ? kick : snare)[at] += 1.0f;
  }
  BeatLevelEvidence e = t.Evidence(100, kNaN);
  e.kickCurve = &kick;
  e.snareCurve = &snare;
  e.hatCurve = &hats;
  e.bandRate = kBandRate;
  const BeatLevel::Choice c = BeatLevel::Choose(e);
  const BeatLevel::Candidate* beat = Near(c, 100);
  const BeatLevel::Candidate* half = Near(c, 50);
  ASSERT_TRUE(beat && half);
  EXPECT_GT(beat->features[BeatLevel::kSnareWithOthersBeat], 0.5);
  EXPECT_LT(beat->features[BeatLevel::kSnareWithOthersHalf], -0.5);
  EXPECT_LT(half->features[BeatLevel::kSnareWithOthersBeat], -0.5);
  // Without the band curves the same evidence is neutral.
  const BeatLevel::Choice withoutBands = BeatLevel::Choose(t.Evidence(100, kNaN));
  const BeatLevel::Candidate* bare = Near(withoutBands, 100);
  ASSERT_NE(bare, nullptr);
  EXPECT_EQ(bare->features[BeatLevel::kSnareWithOthersBeat], 0.0);
  EXPECT_EQ(bare->features[BeatLevel::kSnareWithOthersHalf], 0.0);
}

TEST(BeatLevel, EveryOtherBeatEmptyAtTheDoubleOfBareClicks) {
  // Clicks at 57 BPM: read at 114, every other beat of that level is
  // silent, and the grid fit at half its beat frequency (the clicks' own)
  // stands above the one at its beat frequency even where both pass the
  // ceiling of the other grid fits.
  const Track t = MakeTrack({0}, 1, 57, 60);
  const BeatLevel::Choice c = BeatLevel::Choose(t.Evidence(114, kNaN));
  const BeatLevel::Candidate* clicks = Near(c, 57);
  const BeatLevel::Candidate* doubled = Near(c, 114);
  ASSERT_TRUE(clicks && doubled);
  EXPECT_GT(doubled->features[BeatLevel::kEveryOtherBeat], 0.5);
  EXPECT_LT(clicks->features[BeatLevel::kEveryOtherBeat], 0.2);
  EXPECT_GT(doubled->features[BeatLevel::kGridHalfOverBeat], 0.0);
  EXPECT_EQ(c.bpm(), clicks->bpm);
}

TEST(BeatLevel, LowConfidenceWhereTheOnsetsHardlyRepeat) {
  const Track clear = MakeTrack({0, 1, 2, 3}, 4, 128, 60);
  const Track noisy = MakeTrack({0, 1, 2, 3}, 4, 128, 60, 7, 0.97);
  const BeatLevel::Choice c = BeatLevel::Choose(clear.Evidence(128, 128));
  const BeatLevel::Choice n = BeatLevel::Choose(noisy.Evidence(128, 128));
  ASSERT_FALSE(c.candidates.empty());
  ASSERT_FALSE(n.candidates.empty());
  EXPECT_GT(c.candidates[0].periodicity, BeatLevel::kClearPeriodicity);
  EXPECT_LT(n.candidates[0].periodicity, BeatLevel::kClearPeriodicity);
  EXPECT_LT(n.confidence(), n.candidates[0].probability);
  EXPECT_GT(c.confidence(), n.confidence());
}

TEST(BeatLevel, NothingToChooseWithoutAScanPick) {
  const Track t = MakeTrack({0, 1, 2, 3}, 4, 128, 30);
  EXPECT_TRUE(BeatLevel::Choose(t.Evidence(0, kNaN)).candidates.empty());
  EXPECT_TRUE(BeatLevel::Choose(t.Evidence(kNaN, kNaN)).candidates.empty());
  EXPECT_EQ(BeatLevel::Choose(t.Evidence(0, kNaN)).bpm(), 0.0);
}

TEST(BandCurves, OneValuePerStepOfEachBandWithoutItsSteadyLevel) {
  BandCurves bands;
  bands.Start(86.0);
  EXPECT_DOUBLE_EQ(bands.Rate(), 86.0 / BandCurves::kStep);
  // A steady level in every band and a pulse every 43 onset values (two
  // per second) in the low band only, for a minute.
  const uint32_t values = 86 * 60;
  for (uint32_t i = 0; i < values; ++i) bands.Add(i % 43 == 0 ? 5.0f : 1.0f, 2.0f, 3.0f);
  const std::vector<float> low = bands.Values(BandCurves::kLow);
  const std::vector<float> middle = bands.Values(BandCurves::kMiddle);
  ASSERT_EQ(low.size(), values / BandCurves::kStep);
  ASSERT_EQ(middle.size(), low.size());
  // The steady level is taken off once the running mean has settled.
  for (size_t i = low.size() / 2; i < middle.size(); ++i) EXPECT_NEAR(middle[i], 0.0f, 0.02f);
  // The pulses stand out of the low band's curve: one value each (43
  // onset values apart, 8 to a curve value), 60 in the second half.
  float top = 0;
  for (size_t i = low.size() / 2; i < low.size(); ++i) top = std::max(top, low[i]);
  int above = 0;
  for (size_t i = low.size() / 2; i < low.size(); ++i) above += low[i] > 0.5f * top ? 1 : 0;
  EXPECT_GT(top, 0.3f);
  EXPECT_GE(above, 59);
  EXPECT_LE(above, 61);
  // Kept in a byte a value per band, plus a scale every 64 values.
  EXPECT_LE(bands.Bytes(), 3 * (values / BandCurves::kStep) * 17 / 16 + 3 * 68);
  EXPECT_GE(bands.Bytes(), 3 * (values / BandCurves::kStep) - 3 * 68);
  bands.Reset();
  EXPECT_TRUE(bands.Values(BandCurves::kHigh).empty());
  EXPECT_EQ(bands.Bytes(), 0u);
}
