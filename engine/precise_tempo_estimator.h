// PreciseTempoEstimator: a tempo estimate that aims first at the right
// metrical level (no doubled, halved or 3/2 tempo where the beat is clear)
// and then at the exact value, to about 0.01 BPM on music of constant tempo.
// The program's standard estimate (DefaultTempoEstimator) stays the
// default; this one is chosen by the user.
//
// How it works, as the blocks come in (constant memory, apart from the
// compact curve of step 3):
//   1. OnsetEnvelope turns the PCM into onset values at about 86 per second.
//   2. Each value less the mean of the surrounding second is its deviation;
//      the positive deviations feed an autocorrelation over lags of up to
//      4.2 s, summed over the whole track.
//   3. The deviations, low-passed below 9.6 Hz and kept at about 21 values
//      per second in 8 bits (with one scale per 64 values), form the whole
//      track's onset curve: 23 bytes per second of audio at 44100 Hz (25 at
//      48000 Hz, 30 at 32000 Hz).
// And once, in Estimate():
//   4. Level: every tempo from 30 to 240 BPM (300 steps per octave) is
//      scored by the normalised autocorrelation at its beat period (counted
//      twice) and at two, three and four beats, weighted by a broad
//      preference (one octave wide) for tempi near 140 BPM; the best, its
//      relatives (x2, x1/2, x3/2, x2/3 ...), the scan's other peaks and the
//      standard estimate of the same audio (a DefaultTempoEstimator fed
//      the same blocks alongside: the two estimators miss on different
//      tracks) are weighed by BeatLevel, whose choice is the tempo's level.
//   5. Value: within 2 % of it, the beat frequency at which the whole
//      track's curve carries the most power at half, once and two to six
//      times that frequency (those below 10 Hz; each multiple's power
//      weighted by its square), found on a grid finer than
//      the curve's own resolution and refined by golden-section search. This
//      is the tempo that puts the beats of the whole track on one grid.
//      The finest grids' powers come from one chirp z-transform per
//      multiple (CurveSpectrum), the rest from Goertzel's recurrence, so
//      the search's time grows with the track's length (times its
//      logarithm), not with its square. Its work memory: the tapered
//      curve in doubles (8 bytes per curve value, 1.2 MB for two hours),
//      handed back before Estimate() returns, and the transforms' arrays,
//      about 1.5 MB whatever the track's length.
//   6. Confidence: BeatLevel's probability of the chosen level, lowered on
//      tracks whose onsets hardly repeat; near 1 when one level clearly
//      explains the onsets, low when another level was nearly as likely or
//      no period explains them. The runner-up level and its confidence
//      come with the estimate (TempoEstimate::alternative).
//
// Lifecycle: see TempoEstimator. Reset() keeps all memory; the curve's
// storage grows with the track and is kept for the next file. Blocks at a
// sampling rate other than the first block's are passed over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

#include "engine/band_curves.h"
#include "engine/beat_level.h"
#include "engine/curve_spectrum.h"
#include "engine/default_tempo_estimator.h"
#include "engine/onset_envelope.h"
#include "engine/tempo_estimator.h"

class PreciseTempoEstimator final : public TempoEstimator {
 public:
  static constexpr double kMinTempo = 30.0;
  static constexpr double kMaxTempo = 240.0;

  PreciseTempoEstimator();

  void Reset() override;
  void FeedBlock(const uint8_t* pcm, uint32_t bytes, uint32_t sampleRate, uint32_t frameBytes,
                 uint32_t channels) override;
  // Does not change the state: calling it twice gives the same result.
  TempoEstimate Estimate() override;

  // The standard estimate of the audio fed since Reset() that the last
  // Estimate() weighed; NaN before it, or when the audio was too short.
  double StandardTempo() const { return standardBpm_; }
  // The candidates of the beat level weighed by the last Estimate(), most
  // probable first.
  const BeatLevel::Choice& LastLevel() const { return level_; }

  // Seconds of audio fed since Reset(), and the bytes the whole-track curve
  // holds for them; beside it only the kick, snare and hat bands' coarse curves
  // (BandCurveBytes) grow with the track.
  double SecondsFed() const;
  size_t CurveBytes() const { return chunks_.size() * sizeof(CurveChunk); }
  size_t BandCurveBytes() const { return bands_.Bytes(); }

 private:
  static constexpr uint32_t kChunkValues = 64;
  struct CurveChunk {
    float scale;  // value = q x scale
    int8_t q[kChunkValues];
  };

  void StartStream(uint32_t sampleRate);
  void AddOnset(float value);
  void AddToAutocorrelation(float positiveDeviation);
  void FlushCorrelationBatch();
  // The autocorrelation's sum at lag l, the open batch included.
  double Correlated(uint32_t l) const { return autocorrelation_[l] + batchCorrelation_[l]; }
  void AddToCurve(float deviation);
  void FlushCurveChunk();

  BeatLevel::Choice ChooseLevel(const std::vector<double>& r,
                                const std::vector<std::pair<double, double>>& scan,
                                double scanBpm) const;
  // Normalised autocorrelation at a fractional lag (cubic interpolation).
  double Correlation(const std::vector<double>& r, double lag) const;
  double LevelScore(const std::vector<double>& r, double bpm) const;
  // Step 5: the exact value near the level's tempo, in BPM.
  double FindValue(double levelBpm);
  // Puts the tapered curve into spectrum_.
  void FillCurveSpectrum();
  // Whether multiple h of beatHz counts towards the harmonic power.
  static bool Counts(double h, double beatHz, double highestMultiple);
  // The sum of the curve's power at the beat frequency's multiples up to
  // highestMultiple (of 1/2, 1, 2 ... 6) that lie below 10 Hz.
  double HarmonicPower(double beatHz, double highestMultiple) const;
  // The beat frequency in [low, high] of the most harmonic power, on a grid
  // of `spacing` (at most 4001 points).
  double BestOnGrid(double low, double high, double spacing, double highestMultiple);

  OnsetEnvelope envelope_;
  DefaultTempoEstimator standard_;  // fed the same blocks, for the beat level
  double standardBpm_ = 0;          // its estimate, made once per file; NaN before
  bool standardMade_ = false;
  BandCurves bands_;  // the kick, snare and hat bands, for the beat level
  BeatLevel::Choice level_;
  uint32_t sampleRate_ = 0;  // of the stream; 0 before the first block
  uint64_t framesFed_ = 0;
  double valueRate_ = 0;  // onset values per second

  // Step 2: the mean over meanSpan_ values, centred.
  std::vector<float> meanRing_;
  uint32_t meanSpan_ = 0;
  uint32_t meanAt_ = 0;
  uint64_t onsetCount_ = 0;
  double meanSum_ = 0;

  // Step 2: the autocorrelation, over a history written backwards and
  // twice (see AddToAutocorrelation).
  std::vector<float> lagHistory_;
  uint32_t lagAt_ = 0;
  uint32_t maxLag_ = 0;
  std::vector<double> autocorrelation_;
  static constexpr uint32_t kBatch = 256;
  std::vector<float> batchCorrelation_;
  uint32_t batchCount_ = 0;
  uint64_t correlated_ = 0;
  double correlatedSum_ = 0;

  // Step 3: low-pass filter, its input history (written twice) and the
  // stored curve.
  std::vector<float> taps_;
  std::vector<float> curveHistory_;
  uint32_t curveAt_ = 0;
  uint32_t curveStep_ = 1;  // onset values per curve value
  uint32_t curvePhase_ = 0;
  double curveRate_ = 0;           // curve values per second
  std::deque<CurveChunk> chunks_;  // grows by small blocks, never by doubling
  float pending_[kChunkValues];
  // The curve's taper, 0.5 - 0.5 cos(pi x), at x = i / (kTaperSteps - 1).
  static constexpr uint32_t kTaperSteps = 1024;
  std::vector<float> taper_;
  uint32_t pendingCount_ = 0;  // values not yet stored in a chunk

  // Estimate()'s work memory, kept for the next file: the tapered curve
  // and its spectrum, and the grids of BestOnGrid.
  CurveSpectrum spectrum_;
  std::vector<double> gridHz_, gridPower_, multipleHz_, multiplePower_;
};
