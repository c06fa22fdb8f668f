// The beat-level decision. See beat_level.h.
#include "engine/beat_level.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kCentreTempo = 120.0;     // where log2(tempo / centre) is 0
constexpr double kStretchSeconds = 16.0;   // length of each stretch of the grid fit
constexpr double kRefineShare = 0.025;     // a candidate moves to a peak within 2.5 %
constexpr double kStepsPerOctave = 300.0;  // of that search
constexpr double kSameLevel = 0.03;        // candidates closer than 3 % are one
constexpr double kAgreement = 0.04;        // the standard estimate agrees within 4 %
constexpr double kLowestGridHz = 0.2;      // grid fit only between these
constexpr double kHighestGridHz = 10.0;
constexpr double kGridFloor = -3.0;  // log power below the typical is clamped here
constexpr double kGridCeiling = 8.0;
constexpr double kGridDifferenceCeiling = 16.0;  // the same for the difference of two
constexpr int kFloorFrequencies = 32;            // spread over 0.35-8 Hz for the typical power
constexpr double kRatios[] = {1.0, 2.0, 0.5, 1.5, 2.0 / 3.0, 4.0 / 3.0, 0.75, 3.0, 1.0 / 3.0};

// Fitted weights, one per feature, and how much each changes per octave of
// tempo above 120 BPM (eval/fit_beat_level.py rewrites this block from the
// development half of the evaluation set and the training set).
// BEGIN WEIGHTS
constexpr BeatLevel::Features kWeights = {
    -0.3831,  // log2(tempo / 120)
    -0.5260,  // its square
    0.5062,   // correlation at the beat
    2.9757,   // at two beats
    5.3098,   // at half a beat
    6.3057,   // at a third of a beat
    3.9769,   // at three beats
    3.2324,   // at four beats
    0.9002,   // grid at half the beat frequency
    0.0756,   // at the beat frequency
    -0.2473,  // at three halves of it
    0.3310,   // at twice it
    0.1509,   // at three times it
    2.6253,   // the standard estimate agrees
    1.1816,   // it reads an octave away
    -2.2586,  // it reads three to two away
    -0.1860,  // the scan's own pick
    0.7072,   // tempo by onset density
    -0.2188,  // kick at half the beat frequency
    -0.1954,  // kick at the beat frequency
    -0.0174,  // kick at twice it
    0.6691,   // snare at half the beat frequency
    0.4553,   // snare at the beat frequency
    -4.0340,  // beats without an onset
    -0.0427,  // snare with kick and hats at the beat frequency
    -1.4905,  // at half of it
    -0.0611,  // grid at a quarter of the beat frequency
    0.2784,   // at four times it
    -0.1101,  // kick at a quarter of the beat frequency
    0.0864,   // snare at a quarter of it
    -4.3247,  // every other beat empty
    -0.2926,  // grid at half the beat frequency less at it
};
constexpr BeatLevel::Features kWeightsPerOctave = {
    -0.5260,  // log2(tempo / 120)
    0.2042,   // its square
    1.9073,   // correlation at the beat
    1.2987,   // at two beats
    2.1293,   // at half a beat
    -5.6461,  // at a third of a beat
    2.8626,   // at three beats
    1.2263,   // at four beats
    -0.3221,  // grid at half the beat frequency
    -0.3774,  // at the beat frequency
    0.5030,   // at three halves of it
    -0.3208,  // at twice it
    0.1661,   // at three times it
    -4.0974,  // the standard estimate agrees
    0.1459,   // it reads an octave away
    -1.2753,  // it reads three to two away
    0.0319,   // the scan's own pick
    -0.1306,  // tempo by onset density
    0.1232,   // kick at half the beat frequency
    0.1996,   // kick at the beat frequency
    -0.1514,  // kick at twice it
    0.1828,   // snare at half the beat frequency
    -0.3163,  // snare at the beat frequency
    1.6288,   // beats without an onset
    2.5027,   // snare with kick and hats at the beat frequency
    -0.0850,  // at half of it
    -0.6910,  // grid at a quarter of the beat frequency
    -0.1250,  // at four times it
    -0.9030,  // kick at a quarter of the beat frequency
    0.5449,   // snare at a quarter of it
    -0.3314,  // every other beat empty
    0.0957,   // grid at half the beat frequency less at it
};
// END WEIGHTS

// The autocorrelation at a fractional lag in values (Catmull-Rom), 0
// outside the lags it holds.
double CorrelationAt(const std::vector<double>& r, double lag) {
  if (!(lag >= 1) || lag + 2 >= static_cast<double>(r.size())) return 0.0;
  const auto i = static_cast<size_t>(lag);
  const double t = lag - static_cast<double>(i);
  const double p0 = r[i - 1], p1 = r[i], p2 = r[i + 1], p3 = r[i + 2];
  return p1 +
         0.5 * t * (p2 - p0 + t * (2 * p0 - 5 * p1 + 4 * p2 - p3 + t * (3 * (p1 - p2) + p3 - p0)));
}

// The periodicity of a tempo as the scan measures it: the beat period
// counted twice, and two, three and four beats.
double Periodicity(const std::vector<double>& r, double valueRate, double bpm) {
  const double period = 60.0 * valueRate / bpm;
  double sum = 0, weights = 0;
  for (int k = 1; k <= 4 && k * period + 2 < static_cast<double>(r.size()); ++k) {
    const double weight = k == 1 ? 2.0 : 1.0;
    sum += weight * CorrelationAt(r, k * period);
    weights += weight;
  }
  return weights == 0 ? 0.0 : sum / weights;
}

// The length of the stretches of a curve of `size` values at `rate` values
// per second: kStretchSeconds, or the whole curve where it is shorter.
size_t StretchLength(size_t size, double rate) {
  const auto wanted = static_cast<size_t>(kStretchSeconds * rate);
  return std::max<size_t>(2, std::min(wanted, size));
}

std::vector<float> HannWindow(size_t length) {
  std::vector<float> window(length);
  for (size_t i = 0; i < length; ++i)
    window[i] = static_cast<float>(0.5 - 0.5 * std::cos(kTwoPi * (static_cast<double>(i) + 0.5) /
                                                        static_cast<double>(length)));
  return window;
}

// Power of the curve at one frequency, summed over overlapping stretches,
// each weighted by a Hann window.
class StretchedPower {
 public:
  StretchedPower(const std::vector<float>& curve, double rate)
      : curve_(curve),
        rate_(rate),
        length_(StretchLength(curve.size(), rate)),
        hop_(std::max<size_t>(1, length_ / 2)),
        window_(HannWindow(length_)) {}

  double operator()(double hz) const {
    if (curve_.size() < length_) return 0.0;
    const double coefficient = 2.0 * std::cos(kTwoPi * hz / rate_);
    double total = 0;
    for (size_t start = 0; start + length_ <= curve_.size(); start += hop_) {
      double s1 = 0, s2 = 0;
      const float* x = curve_.data() + start;
      for (size_t i = 0; i < length_; ++i) {
        const double s0 = static_cast<double>(x[i] * window_[i]) + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
      }
      total += s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    }
    return total;
  }

 private:
  const std::vector<float>& curve_;
  double rate_;
  size_t length_ = 0;
  size_t hop_ = 1;
  std::vector<float> window_;
};

// Typical power of a curve away from any one beat: the median over
// frequencies spread at irrational steps between 0.35 Hz and `highest`.
double TypicalPower(const StretchedPower& power, double highest) {
  std::vector<double> floor;
  for (int i = 0; i < kFloorFrequencies; ++i)
    floor.push_back(
        power(0.35 * std::pow(highest / 0.35, (i + 0.5 * std::sqrt(2.0)) / kFloorFrequencies)));
  std::nth_element(floor.begin(), floor.begin() + kFloorFrequencies / 2, floor.end());
  return std::max(floor[kFloorFrequencies / 2], 1e-30);
}

// How two curves move together at one frequency: the real part of their
// cross-spectrum summed over overlapping stretches, against the product of
// their powers (1 when they pulse in phase, -1 in opposite phase, near 0
// where either has nothing at that frequency or the relation wanders).
class StretchedCoherence {
 public:
  StretchedCoherence(const std::vector<float>* a, const std::vector<float>* b, double rate)
      : a_(a), b_(b), rate_(rate) {
    usable_ = a != nullptr && b != nullptr && rate > 0 && a->size() == b->size() &&
              a->size() > 2 * static_cast<size_t>(rate);
    if (!usable_) return;
    length_ = StretchLength(a->size(), rate);
    hop_ = std::max<size_t>(1, length_ / 2);
    window_ = HannWindow(length_);
  }

  double operator()(double hz) const {
    if (!usable_ || hz < kLowestGridHz || hz > 0.45 * rate_) return 0.0;
    const double w = kTwoPi * hz / rate_;
    const double coefficient = 2.0 * std::cos(w);
    const double c = std::cos(w), s = std::sin(w);
    double cross = 0, powerA = 0, powerB = 0;
    for (size_t start = 0; start + length_ <= a_->size(); start += hop_) {
      double a1 = 0, a2 = 0, b1 = 0, b2 = 0;
      const float* x = a_->data() + start;
      const float* y = b_->data() + start;
      for (size_t i = 0; i < length_; ++i) {
        const double a0 = static_cast<double>(x[i] * window_[i]) + coefficient * a1 - a2;
        a2 = a1;
        a1 = a0;
        const double b0 = static_cast<double>(y[i] * window_[i]) + coefficient * b1 - b2;
        b2 = b1;
        b1 = b0;
      }
      // Goertzel's outputs, s1 - e^{-iw} s2, share one phase factor that
      // the cross-spectrum cancels.
      const double ar = a1 - c * a2, ai = s * a2;
      const double br = b1 - c * b2, bi = s * b2;
      cross += ar * br + ai * bi;
      powerA += ar * ar + ai * ai;
      powerB += br * br + bi * bi;
    }
    const double norm = std::sqrt(powerA * powerB);
    return norm > 1e-30 ? cross / norm : 0.0;
  }

 private:
  const std::vector<float>* a_;
  const std::vector<float>* b_;
  double rate_;
  bool usable_ = false;
  size_t length_ = 0;
  size_t hop_ = 1;
  std::vector<float> window_;
};

// The grid fit of a band's curve: log power against its typical power,
// 0 where the curve is missing or the frequency beyond its reach.
class BandGrid {
 public:
  BandGrid(const std::vector<float>* curve, double rate)
      : usable_(curve != nullptr && rate > 0 && curve->size() > 2 * static_cast<size_t>(rate)),
        rate_(rate),
        power_(usable_ ? *curve : empty_, usable_ ? rate : 1.0) {
    if (usable_) typical_ = TypicalPower(power_, 0.45 * rate_);
  }
  double operator()(double hz) const {
    if (!usable_ || hz < kLowestGridHz || hz > 0.45 * rate_) return 0.0;
    return std::clamp(std::log(std::max(power_(hz), 1e-30) / typical_), kGridFloor, kGridCeiling);
  }

 private:
  static inline const std::vector<float> empty_{0.0f, 0.0f};
  bool usable_;
  double rate_;
  StretchedPower power_;
  double typical_ = 1.0;
};

// The curve's peaks above its mean absolute value, per second: how busy the
// track is (at least 0.25, so that its logarithm stays finite).
double OnsetsPerSecond(const std::vector<float>& curve, double rate) {
  if (curve.size() < 3) return 0.25;
  double level = 0;
  for (float v : curve) level += std::fabs(v);
  level /= static_cast<double>(curve.size());
  size_t peaks = 0;
  for (size_t i = 1; i + 1 < curve.size(); ++i)
    if (curve[i] > level && curve[i] > curve[i - 1] && curve[i] >= curve[i + 1]) ++peaks;
  return std::max(0.25, static_cast<double>(peaks) * rate / static_cast<double>(curve.size()));
}

bool Near(double a, double b, double share) {
  return std::fabs(a / b - 1.0) <= share;
}

}  // namespace

BeatLevel::Choice BeatLevel::Choose(const BeatLevelEvidence& evidence) {
  Choice choice;
  const std::vector<double>& r = *evidence.autocorrelation;
  const double valueRate = evidence.valueRate;
  if (!(evidence.scanBpm > 0) || valueRate <= 0 || evidence.curveRate <= 0) return choice;

  // The candidates, each moved to the nearest peak of the periodicity.
  auto refine = [&](double bpm) {
    double best = bpm, bestValue = -1e300;
    const int steps = static_cast<int>(std::ceil(std::log2(1 + kRefineShare) * kStepsPerOctave));
    for (int i = -steps; i <= steps; ++i) {
      const double b = bpm * std::exp2(i / kStepsPerOctave);
      const double v = Periodicity(r, valueRate, b);
      if (v > bestValue) {
        bestValue = v;
        best = b;
      }
    }
    return best;
  };
  std::vector<double> tempi;
  auto add = [&](double bpm) {
    if (!(bpm >= kLowestTempo && bpm <= kHighestTempo)) return;
    for (double t : tempi)
      if (Near(bpm, t, kSameLevel)) return;
    tempi.push_back(bpm);
  };
  for (double ratio : kRatios) add(evidence.scanBpm * ratio);
  for (double peak : evidence.scanPeaks) add(peak);
  const bool standardKnown = std::isfinite(evidence.standardBpm) && evidence.standardBpm > 0;
  if (standardKnown) add(evidence.standardBpm);
  for (double& t : tempi) t = std::clamp(refine(t), kLowestTempo, kHighestTempo);

  // The typical power of the curve, away from any one beat: the median
  // over frequencies spread at irrational steps.
  const StretchedPower power(*evidence.curve, evidence.curveRate);
  const double typical = TypicalPower(power, 8.0);
  // The grid fit, log power against the typical, clamped to the floor and
  // to `ceiling`.
  auto grid = [&](double hz, double ceiling) {
    if (hz < kLowestGridHz || hz > kHighestGridHz) return 0.0;
    const double p = power(hz);
    return std::clamp(std::log(std::max(p, 1e-30) / typical), kGridFloor, ceiling);
  };
  const BandGrid kick(evidence.kickCurve, evidence.bandRate);
  const BandGrid snare(evidence.snareCurve, evidence.bandRate);
  // The kick and hat bands together, against which the snare band is read.
  std::vector<float> others;
  if (evidence.kickCurve != nullptr && evidence.hatCurve != nullptr &&
      evidence.kickCurve->size() == evidence.hatCurve->size()) {
    others.resize(evidence.kickCurve->size());
    for (size_t i = 0; i < others.size(); ++i)
      others[i] = (*evidence.kickCurve)[i] + (*evidence.hatCurve)[i];
  }
  const StretchedCoherence snareWithOthers(evidence.snareCurve, others.empty() ? nullptr : &others,
                                           evidence.bandRate);

  const double onsetsPerSecond = OnsetsPerSecond(*evidence.curve, evidence.curveRate);
  const double density = std::log2(onsetsPerSecond / 4.0);
  for (double bpm : tempi) {
    Candidate c;
    c.bpm = bpm;
    Features& f = c.features;
    const double octaves = std::log2(bpm / kCentreTempo);
    f[kLog2Tempo] = octaves;
    f[kLog2TempoSquared] = octaves * octaves;
    const double period = 60.0 * valueRate / bpm;
    f[kCorrelationBeat] = CorrelationAt(r, period);
    f[kCorrelationTwoBeats] = CorrelationAt(r, 2 * period);
    f[kCorrelationHalfBeat] = CorrelationAt(r, period / 2);
    f[kCorrelationThirdBeat] = CorrelationAt(r, period / 3);
    f[kCorrelationThreeBeats] = CorrelationAt(r, 3 * period);
    f[kCorrelationFourBeats] = CorrelationAt(r, 4 * period);
    const double hz = bpm / 60.0;
    const double gridHalf = grid(0.5 * hz, kGridDifferenceCeiling);
    const double gridBeat = grid(hz, kGridDifferenceCeiling);
    f[kGridHalf] = std::min(gridHalf, kGridCeiling);
    f[kGridBeat] = std::min(gridBeat, kGridCeiling);
    f[kGridThreeHalves] = grid(1.5 * hz, kGridCeiling);
    f[kGridDouble] = grid(2 * hz, kGridCeiling);
    f[kGridTriple] = grid(3 * hz, kGridCeiling);
    if (standardKnown) {
      const double s = evidence.standardBpm;
      f[kStandardSame] = Near(bpm, s, kAgreement) ? 1.0 : 0.0;
      f[kStandardOctave] = Near(bpm, 2 * s, kAgreement) || Near(bpm, s / 2, kAgreement) ? 1.0 : 0.0;
      f[kStandardThreeToTwo] =
          Near(bpm, 1.5 * s, kAgreement) || Near(bpm, s / 1.5, kAgreement) ? 1.0 : 0.0;
    }
    f[kScanPick] = Near(bpm, evidence.scanBpm, kSameLevel) ? 1.0 : 0.0;
    f[kTempoByDensity] = octaves * density;
    f[kKickHalf] = kick(0.5 * hz);
    f[kKickBeat] = kick(hz);
    f[kKickDouble] = kick(2 * hz);
    f[kSnareHalf] = snare(0.5 * hz);
    f[kSnareBeat] = snare(hz);
    f[kBeatsWithoutOnset] = std::max(0.0, std::log2(hz / onsetsPerSecond));
    f[kSnareWithOthersBeat] = snareWithOthers(hz);
    f[kSnareWithOthersHalf] = snareWithOthers(0.5 * hz);
    f[kGridQuarter] = grid(0.25 * hz, kGridCeiling);
    f[kGridQuadruple] = grid(4 * hz, kGridCeiling);
    f[kKickQuarter] = kick(0.25 * hz);
    f[kSnareQuarter] = snare(0.25 * hz);
    f[kEveryOtherBeat] = std::max(0.0, f[kCorrelationTwoBeats] - f[kCorrelationBeat]);
    f[kGridHalfOverBeat] = gridHalf - gridBeat;
    for (size_t k = 0; k < kFeatureCount; ++k)
      c.score += (kWeights[k] + kWeightsPerOctave[k] * octaves) * f[k];
    c.periodicity = Periodicity(r, valueRate, bpm);
    choice.candidates.push_back(c);
  }
  if (choice.candidates.empty()) return choice;

  double top = -1e300;
  for (const Candidate& c : choice.candidates) top = std::max(top, c.score);
  double sum = 0;
  for (Candidate& c : choice.candidates) sum += (c.probability = std::exp(c.score - top));
  for (Candidate& c : choice.candidates) {
    c.probability /= sum;
    c.confidence = c.probability * std::clamp(c.periodicity / kClearPeriodicity, 0.0, 1.0);
  }
  std::stable_sort(choice.candidates.begin(), choice.candidates.end(),
                   [](const Candidate& a, const Candidate& b) { return a.score > b.score; });
  return choice;
}
