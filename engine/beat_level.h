// BeatLevel: which of several related tempi is the beat a listener taps.
//
// A track's onsets repeat at many periods at once: the beat, its
// subdivisions (half, third and quarter beats), two beats, a bar. The
// candidates are the level the periodicity scan found and its relatives
// (x2, x1/2, x3/2, x2/3, x4/3, x3/4, x3, x1/3), the strongest other peaks
// of the scan and the standard estimator's tempo where it is known; each
// is placed on the nearest peak of the onsets' autocorrelation.
//
// Every candidate is described by a few numbers:
//   - where it lies among DJ tempi: log2(tempo / 120) and its square, so
//     that the weights form a log-normal preference with no hard limit;
//   - the onsets' autocorrelation at its beat period, at two, three and
//     four beats, at half a beat and at a third of a beat (binary against
//     ternary subdivision);
//   - how well a beat grid at its tempo fits the whole track: the power of
//     the onset curve at half, one, three halves, two and three times its
//     beat frequency, summed over overlapping 16-second stretches (so that
//     a slowly wandering tempo still counts) and taken relative to the
//     curve's typical power away from any beat (the median over a fixed
//     spread of frequencies), in log units;
//   - whether the standard estimator agrees with it, or reads it at an
//     octave or at three to two;
//   - whether it is the scan's own pick;
//   - log2(tempo / 120) times log2(onsets per second / 4), the onsets
//     counted as the curve's peaks: busy tracks lean to faster beats;
//   - the grid fit of the kick drum's band at half, once and twice the
//     beat frequency, and of the snare's at half and once: a backbeat
//     (kick on one and three, snare on two and four) puts the snare at
//     half the beat frequency of the right level;
//   - max(0, log2(beats per second / onsets per second)): a level with
//     fewer onsets than beats is rarely the one a listener taps;
//   - whether the snare band pulses with the kick and hat bands or against
//     them at the beat frequency and at half of it (on the beat or on the
//     off-beat of this level);
//   - the grid fit at a quarter of the beat frequency (a bar of four) and
//     at four times it (sixteenths), and of the kick and snare bands at a
//     quarter of it;
//   - how much more the onsets repeat at two beats than at one (every
//     other beat empty);
//   - the grid fit at half the beat frequency less that at the beat
//     frequency, without the ceiling that the other grid fits have (so that
//     it still tells the two apart on bare clicks, whose harmonics all reach
//     that ceiling).
// A linear score of these numbers gives each candidate a probability
// (softmax). Each number's weight changes linearly with log2(tempo / 120):
// the same evidence may count differently for a slow and a fast reading.
// The weights (below) are fitted by eval/fit_beat_level.py on the
// development half of the evaluation set and a training set made by the
// same generators, never on the held-out half. The most probable one is the
// beat level, and its probability, lowered on tracks whose onsets hardly
// repeat, the confidence; the second most probable is the alternative a
// user may prefer, with its confidence on the same scale.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

// The evidence a decision reads, as the precise estimator holds it.
struct BeatLevelEvidence {
  // Normalised autocorrelation of the onset deviations (1 at lag 0), one
  // value per onset value, at valueRate values per second.
  const std::vector<double>* autocorrelation = nullptr;
  double valueRate = 0;
  // The whole track's onset curve at curveRate values per second.
  const std::vector<float>* curve = nullptr;
  double curveRate = 0;
  // The coarse curves of the low band (kick drum), of the middle bands
  // (snare) and of the top band (hats) at bandRate values per second, all
  // of one length; may be null.
  const std::vector<float>* kickCurve = nullptr;
  const std::vector<float>* snareCurve = nullptr;
  const std::vector<float>* hatCurve = nullptr;
  double bandRate = 0;
  // The level the periodicity scan chose (beats per minute).
  double scanBpm = 0;
  // Further peaks of the scan, strongest first (may be empty).
  std::vector<double> scanPeaks;
  // The standard estimator's tempo, NaN when it is not known.
  double standardBpm = 0;
};

class BeatLevel {
 public:
  enum Feature : size_t {
    kLog2Tempo,
    kLog2TempoSquared,
    kCorrelationBeat,
    kCorrelationTwoBeats,
    kCorrelationHalfBeat,
    kCorrelationThirdBeat,
    kCorrelationThreeBeats,
    kCorrelationFourBeats,
    kGridHalf,
    kGridBeat,
    kGridThreeHalves,
    kGridDouble,
    kGridTriple,
    kStandardSame,
    kStandardOctave,
    kStandardThreeToTwo,
    kScanPick,
    kTempoByDensity,
    kKickHalf,
    kKickBeat,
    kKickDouble,
    kSnareHalf,
    kSnareBeat,
    kBeatsWithoutOnset,
    kSnareWithOthersBeat,
    kSnareWithOthersHalf,
    kGridQuarter,
    kGridQuadruple,
    kKickQuarter,
    kSnareQuarter,
    kEveryOtherBeat,
    kGridHalfOverBeat,
    kFeatureCount
  };
  using Features = std::array<double, kFeatureCount>;

  struct Candidate {
    double bpm = 0;
    Features features{};
    double score = 0;        // the weighted sum of the features
    double probability = 0;  // softmax of the scores over all candidates
    // How regularly the onsets repeat at its beat (the scan's measure).
    double periodicity = 0;
    // The probability, lowered where the onsets hardly repeat at all (a
    // level is then chosen among nothing much): probability x
    // min(1, periodicity / kClearPeriodicity).
    double confidence = 0;
  };

  struct Choice {
    // The candidates, most probable first; empty when there was nothing to
    // choose from.
    std::vector<Candidate> candidates;
    double bpm() const { return candidates.empty() ? 0.0 : candidates[0].bpm; }
    double confidence() const { return candidates.empty() ? 0.0 : candidates[0].confidence; }
  };

  static constexpr double kLowestTempo = 30.0;
  static constexpr double kHighestTempo = 240.0;
  // The periodicity from which on a track counts as clearly beating.
  static constexpr double kClearPeriodicity = 0.3;

  // Describes and weighs the candidates; the evidence's vectors must be
  // set. Costs a few hundred passes over the curve, none of them longer
  // than the curve: linear in the track's length.
  static Choice Choose(const BeatLevelEvidence& evidence);
};
