// The precise tempo estimate. See precise_tempo_estimator.h.
#include "engine/precise_tempo_estimator.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kMeanSeconds = 1.0;     // span of the mean taken off each onset value
constexpr double kMaxLagSeconds = 4.2;   // longest lag of the autocorrelation
constexpr double kCurveCutoffHz = 9.6;   // the curve's low-pass (6 dB point)
constexpr double kFilterSeconds = 2.6;   // length of the low-pass filter
constexpr double kCurveRateAim = 21.0;   // curve values per second, at least
constexpr double kHighestBeatHz = 10.0;  // highest frequency read from the curve
constexpr double kLowestBeatHz = 0.3;
// The multiples of the beat frequency whose power tells the value.
constexpr double kMultiples[] = {0.5, 1.0, 2.0, 3.0, 4.0, 5.0, 6.0};
constexpr uint32_t kStepsPerOctave = 300;
constexpr double kOwnPeriodWeight = 2.0;    // the beat period itself, against each multiple
constexpr double kPreferredTempo = 140.0;   // centre of the level preference
constexpr double kPreferenceOctaves = 1.0;  // its width (one standard deviation)
constexpr double kValueSearch = 0.02;       // the value is sought within 2 % of the level
constexpr double kMinSeconds = 6.0;         // less audio than this gives no estimate
constexpr double kTaperShare = 0.15;        // share of the curve tapered at each end

// Sizes for the highest onset value rate (a reduction of 1 at 16537 Hz:
// 129.2 values per second).
constexpr uint32_t kMaxMeanSpan = 131;
constexpr uint32_t kLagHistory = 1024;   // power of two above 129.2 x 4.2 + 1
constexpr uint32_t kMaxTaps = 337;       // odd, above 129.2 x 2.6
constexpr uint32_t kCurveHistory = 512;  // power of two above kMaxTaps

double Nan() {
  return std::numeric_limits<double>::quiet_NaN();
}

}  // namespace

PreciseTempoEstimator::PreciseTempoEstimator()
    : meanRing_(kMaxMeanSpan, 0.0f),
      lagHistory_(2 * kLagHistory, 0.0f),
      autocorrelation_(kLagHistory, 0.0),
      batchCorrelation_(kLagHistory, 0.0f),
      taps_(kMaxTaps, 0.0f),
      curveHistory_(2 * kCurveHistory, 0.0f),
      pending_() {
  taper_.resize(kTaperSteps);
  for (uint32_t i = 0; i < kTaperSteps; ++i)
    taper_[i] = static_cast<float>(0.5 - 0.5 * std::cos(3.141592653589793 * i / (kTaperSteps - 1)));
  Reset();
}

void PreciseTempoEstimator::Reset() {
  sampleRate_ = 0;
  standard_.Reset();
  standardBpm_ = Nan();
  standardMade_ = false;
  level_ = {};
  bands_.Reset();
  framesFed_ = 0;
  valueRate_ = 0;
  onsetCount_ = 0;
  meanSum_ = 0;
  meanAt_ = 0;
  std::fill(meanRing_.begin(), meanRing_.end(), 0.0f);
  correlated_ = 0;
  correlatedSum_ = 0;
  std::fill(autocorrelation_.begin(), autocorrelation_.end(), 0.0);
  std::fill(batchCorrelation_.begin(), batchCorrelation_.end(), 0.0f);
  batchCount_ = 0;
  std::fill(lagHistory_.begin(), lagHistory_.end(), 0.0f);
  lagAt_ = 0;
  std::fill(curveHistory_.begin(), curveHistory_.end(), 0.0f);
  curveAt_ = 0;
  curvePhase_ = 0;
  chunks_.clear();
  pendingCount_ = 0;
}

double PreciseTempoEstimator::SecondsFed() const {
  return sampleRate_ == 0 ? 0.0 : static_cast<double>(framesFed_) / sampleRate_;
}

void PreciseTempoEstimator::StartStream(uint32_t sampleRate) {
  sampleRate_ = sampleRate;
  envelope_.Start(sampleRate);
  valueRate_ = envelope_.ValueRate();
  bands_.Start(valueRate_);
  meanSpan_ = static_cast<uint32_t>(std::lround(valueRate_ * kMeanSeconds)) | 1u;
  meanSpan_ = std::min(meanSpan_, kMaxMeanSpan);
  maxLag_ = std::min(static_cast<uint32_t>(valueRate_ * kMaxLagSeconds) + 2, kLagHistory - 1);
  curveStep_ = std::max(1u, static_cast<uint32_t>(valueRate_ / kCurveRateAim));
  curveRate_ = valueRate_ / curveStep_;
  // Windowed-sinc low-pass (Blackman window), unit gain at 0 Hz.
  uint32_t length = static_cast<uint32_t>(valueRate_ * kFilterSeconds) | 1u;
  length = std::min(length, kMaxTaps);
  std::fill(taps_.begin(), taps_.end(), 0.0f);
  const double cutoff = kCurveCutoffHz / valueRate_;  // cycles per value
  const double centre = (length - 1) / 2.0;
  double sum = 0;
  std::vector<double> taps(length);
  for (uint32_t i = 0; i < length; ++i) {
    const double x = i - centre;
    const double sinc =
        x == 0 ? 2 * cutoff : std::sin(kTwoPi * cutoff * x) / (3.141592653589793 * x);
    const double w = 0.42 - 0.5 * std::cos(kTwoPi * i / (length - 1)) +
                     0.08 * std::cos(2 * kTwoPi * i / (length - 1));
    taps[i] = sinc * w;
    sum += taps[i];
  }
  for (uint32_t i = 0; i < length; ++i) taps_[i] = static_cast<float>(taps[i] / sum);
}

void PreciseTempoEstimator::FeedBlock(const uint8_t* pcm, uint32_t bytes, uint32_t sampleRate,
                                      uint32_t frameBytes, uint32_t channels) {
  standard_.FeedBlock(pcm, bytes, sampleRate, frameBytes, channels);
  // The same admission as the standard detector: whole 8- or 16-bit samples
  // at a rate it reads.
  const uint32_t ch = channels == 0 ? 1 : channels;
  if (bytes == 0 || sampleRate < 16 || sampleRate > 768000 || frameBytes == 0) return;
  const uint64_t frameBits = static_cast<uint64_t>(frameBytes) * 8;
  if (frameBits % ch != 0) return;
  const uint32_t bits = static_cast<uint32_t>(frameBits / ch);
  if (bits != 8 && bits != 16) return;
  if (sampleRate_ == 0) StartStream(sampleRate);
  if (sampleRate != sampleRate_) return;
  const uint32_t frames = bytes / frameBytes;
  framesFed_ += frames;
  envelope_.Feed(pcm, frames, bits, ch, [this](float value) { AddOnset(value); });
}

void PreciseTempoEstimator::AddOnset(float value) {
  bands_.Add(envelope_.BandValue(0), envelope_.BandValue(1) + envelope_.BandValue(2),
             envelope_.BandValue(3));
  meanSum_ += value - meanRing_[meanAt_];
  meanRing_[meanAt_] = value;
  meanAt_ = meanAt_ + 1 == meanSpan_ ? 0 : meanAt_ + 1;
  if (++onsetCount_ < meanSpan_) return;
  // The value in the middle of the span, less the span's mean.
  uint32_t middle = meanAt_ + meanSpan_ / 2;
  if (middle >= meanSpan_) middle -= meanSpan_;
  const float deviation = meanRing_[middle] - static_cast<float>(meanSum_ / meanSpan_);
  AddToAutocorrelation(std::max(deviation, 0.0f));
  AddToCurve(deviation);
}

void PreciseTempoEstimator::AddToAutocorrelation(float x) {
  // The history runs backwards: the newest value at lagAt_, the one l steps
  // back at lagAt_ + l, each written twice (a ring's length apart) so that
  // every lag of the newest value is one contiguous forward run.
  lagAt_ = (lagAt_ + kLagHistory - 1) & (kLagHistory - 1);
  lagHistory_[lagAt_] = x;
  lagHistory_[lagAt_ + kLagHistory] = x;
  const float* history = lagHistory_.data() + lagAt_;
  const uint32_t lags = static_cast<uint32_t>(
      std::min<uint64_t>(maxLag_, correlated_));  // no partner before the first value
  // Sums of a few hundred products in single precision (a loop the compiler
  // runs four at a time), carried into the double sums every kBatch values.
  float* batch = batchCorrelation_.data();
  for (uint32_t l = 0; l <= lags; ++l) batch[l] += x * history[l];
  if (++batchCount_ == kBatch) FlushCorrelationBatch();
  ++correlated_;
  correlatedSum_ += x;
}

void PreciseTempoEstimator::FlushCorrelationBatch() {
  for (uint32_t l = 0; l < kLagHistory; ++l) {
    autocorrelation_[l] += batchCorrelation_[l];
    batchCorrelation_[l] = 0.0f;
  }
  batchCount_ = 0;
}

void PreciseTempoEstimator::AddToCurve(float deviation) {
  curveHistory_[curveAt_] = deviation;
  curveHistory_[curveAt_ + kCurveHistory] = deviation;
  const float* history = curveHistory_.data() + curveAt_ + kCurveHistory;
  curveAt_ = (curveAt_ + 1) & (kCurveHistory - 1);
  if (++curvePhase_ < curveStep_) return;
  curvePhase_ = 0;
  float y = 0;
  for (uint32_t k = 0; k < kMaxTaps; ++k) y += taps_[k] * history[-static_cast<int32_t>(k)];
  pending_[pendingCount_++] = y;
  if (pendingCount_ == kChunkValues) FlushCurveChunk();
}

void PreciseTempoEstimator::FlushCurveChunk() {
  CurveChunk chunk;
  float peak = 0;
  for (uint32_t i = 0; i < kChunkValues; ++i) peak = std::max(peak, std::fabs(pending_[i]));
  chunk.scale = peak / 127.0f;
  const float inverse = peak > 0 ? 127.0f / peak : 0.0f;
  for (uint32_t i = 0; i < kChunkValues; ++i)
    chunk.q[i] = static_cast<int8_t>(std::lround(pending_[i] * inverse));
  chunks_.push_back(chunk);
  pendingCount_ = 0;
}

double PreciseTempoEstimator::Correlation(const std::vector<double>& r, double lag) const {
  if (lag < 1 || lag > maxLag_ - 2) return 0.0;
  const auto i = static_cast<uint32_t>(lag);
  const double t = lag - i;
  const double p0 = r[i - 1], p1 = r[i], p2 = r[i + 1], p3 = r[i + 2];
  // Catmull-Rom.
  return p1 +
         0.5 * t * (p2 - p0 + t * (2 * p0 - 5 * p1 + 4 * p2 - p3 + t * (3 * (p1 - p2) + p3 - p0)));
}

double PreciseTempoEstimator::LevelScore(const std::vector<double>& r, double bpm) const {
  const double period = 60.0 * valueRate_ / bpm;
  double sum = 0, weights = 0;
  for (int k = 1; k <= 4 && k * period <= maxLag_ - 2; ++k) {
    const double weight = k == 1 ? kOwnPeriodWeight : 1.0;
    sum += weight * Correlation(r, k * period);
    weights += weight;
  }
  return weights == 0 ? 0.0 : sum / weights;
}

void PreciseTempoEstimator::FillCurveSpectrum() {
  // The curve is weighted by a Tukey window: flat, with cosine tapers over
  // its first and last 15 %, so that its ends (and the mirror image at -hz)
  // leak next to nothing into the peak while the peak stays nearly as
  // narrow as the whole track allows.
  const size_t total = chunks_.size() * kChunkValues + pendingCount_;
  const double taperLength = kTaperShare * static_cast<double>(total);
  const double toStep = taperLength > 0 ? (kTaperSteps - 1) / taperLength : 0.0;
  std::vector<double>& out = spectrum_.Values();
  out.resize(total);
  size_t index = 0;
  auto add = [&](const float* values, const int8_t* q, float scale, uint32_t n) {
    for (uint32_t i = 0; i < n; ++i, ++index) {
      double v = values != nullptr ? values[i] : static_cast<double>(q[i]) * scale;
      const double position = static_cast<double>(index) + 0.5;
      const double edge = std::min(position, static_cast<double>(total) - position);
      if (edge < taperLength) v *= taper_[static_cast<uint32_t>(edge * toStep)];
      out[index] = v;
    }
  };
  for (const CurveChunk& c : chunks_) add(nullptr, c.q, c.scale, kChunkValues);
  add(pending_, nullptr, 0.0f, pendingCount_);
  spectrum_.SetRate(curveRate_);
}

bool PreciseTempoEstimator::Counts(double h, double beatHz, double highestMultiple) {
  const double hz = h * beatHz;
  return h <= highestMultiple && hz >= kLowestBeatHz && hz <= kHighestBeatHz;
}

double PreciseTempoEstimator::HarmonicPower(double beatHz, double highestMultiple) const {
  // All the multiples' powers in one pass over the curve.
  double hz[std::size(kMultiples)], power[std::size(kMultiples)];
  size_t count = 0;
  for (double h : kMultiples)
    if (Counts(h, beatHz, highestMultiple)) hz[count++] = h * beatHz;
  spectrum_.DirectPowers(hz, count, power);
  // Weighted by h squared: a multiple h of the beat drifts h times as far
  // for the same error in the tempo, so the higher ones tell the value
  // more sharply.
  double sum = 0;
  size_t at = 0;
  for (double h : kMultiples)
    if (Counts(h, beatHz, highestMultiple)) sum += h * h * power[at++];
  return sum;
}

double PreciseTempoEstimator::BestOnGrid(double low, double high, double spacing,
                                         double highestMultiple) {
  const auto points = static_cast<uint32_t>(std::min(4000.0, (high - low) / spacing)) + 1;
  gridHz_.resize(points + 1);
  for (uint32_t i = 0; i <= points; ++i) gridHz_[i] = low + (high - low) * i / points;
  // Each multiple's frequencies form an evenly spaced grid of their own, so
  // the spectrum gives all of a multiple's powers at once.
  gridPower_.assign(points + 1, 0.0);
  multipleHz_.resize(points + 1);
  multiplePower_.resize(points + 1);
  for (double h : kMultiples) {
    if (h > highestMultiple) continue;
    for (uint32_t i = 0; i <= points; ++i) multipleHz_[i] = h * gridHz_[i];
    spectrum_.EvenPowers(multipleHz_.data(), points + 1, multiplePower_.data());
    for (uint32_t i = 0; i <= points; ++i)
      if (Counts(h, gridHz_[i], highestMultiple)) gridPower_[i] += h * h * multiplePower_[i];
  }
  double best = low, bestPower = -1;
  for (uint32_t i = 0; i <= points; ++i) {
    if (gridPower_[i] > bestPower) {
      bestPower = gridPower_[i];
      best = gridHz_[i];
    }
  }
  return best;
}

TempoEstimate PreciseTempoEstimator::Estimate() {
  const TempoEstimate none{Nan(), Nan()};
  if (sampleRate_ == 0 || SecondsFed() < kMinSeconds || correlated_ <= maxLag_) return none;

  // Normalised autocorrelation of the positive deviations: the covariance
  // at each lag over the pairs it has, divided by the variance.
  const double n = static_cast<double>(correlated_);
  const double mean = correlatedSum_ / n;
  const double variance = Correlated(0) / n - mean * mean;
  if (!(variance > 0)) return none;
  std::vector<double> r(maxLag_ + 1);
  for (uint32_t l = 0; l <= maxLag_; ++l) r[l] = (Correlated(l) / (n - l) - mean * mean) / variance;

  // Level: a scan of every tempo gives a first pick and the periodicity's
  // other peaks; the beat-level decision weighs them and their relatives.
  double bestBpm = 0, bestWeighted = -std::numeric_limits<double>::infinity(), bestScore = 0;
  std::vector<std::pair<double, double>> scan;  // tempo, score
  for (uint32_t i = 0; i <= 3 * kStepsPerOctave; ++i) {
    const double bpm = kMinTempo * std::exp2(static_cast<double>(i) / kStepsPerOctave);
    if (bpm > kMaxTempo) break;
    const double score = LevelScore(r, bpm);
    scan.emplace_back(bpm, score);
    const double octaves = std::log2(bpm / kPreferredTempo) / kPreferenceOctaves;
    const double weighted = score * std::exp(-0.5 * octaves * octaves);
    if (weighted > bestWeighted) {
      bestWeighted = weighted;
      bestBpm = bpm;
      bestScore = score;
    }
  }
  if (!(bestScore > 0)) return none;
  // The standard estimate rewrites part of its detector's spectrum: made
  // once per file, so that a second Estimate() weighs the same value.
  if (!standardMade_) {
    standardBpm_ = standard_.Estimate().bpm;
    standardMade_ = true;
  }
  level_ = ChooseLevel(r, scan, bestBpm);
  if (level_.candidates.empty()) return none;
  const double confidence = level_.confidence();
  const double bpm = FindValue(level_.bpm());
  // The value search's work memory grows with the track: handed back, so
  // that an estimator kept for the next file holds only its curve.
  spectrum_ = CurveSpectrum();
  gridHz_ = gridPower_ = multipleHz_ = multiplePower_ = std::vector<double>();
  TempoEstimate estimate{bpm, confidence};
  if (level_.candidates.size() > 1) {
    // The runner-up level, as the same grid read at its ratio to the
    // chosen one where it is a simple one.
    const BeatLevel::Candidate& second = level_.candidates[1];
    estimate.alternative = second.bpm;
    for (double ratio : {2.0, 0.5, 1.5, 2.0 / 3.0, 4.0 / 3.0, 0.75, 3.0, 1.0 / 3.0}) {
      if (std::fabs(second.bpm / (level_.bpm() * ratio) - 1.0) < 0.015) {
        estimate.alternative = bpm * ratio;
        break;
      }
    }
    estimate.alternativeConfidence = second.confidence;
  }
  return estimate;
}

double PreciseTempoEstimator::FindValue(double levelBpm) {
  // The strongest beat frequency near the level, over the whole curve. The
  // peak of harmonic h is about 1 / (h x seconds) wide: a grid over the
  // fundamental and its half finds the right peak, finer grids with the
  // second and then all multiples narrow it down, and a golden-section
  // search ends it.
  FillCurveSpectrum();
  const double seconds = std::max(1.0, static_cast<double>(spectrum_.Values().size()) / curveRate_);
  const double centreHz = levelBpm / 60.0;
  double hz = BestOnGrid(centreHz * (1 - kValueSearch), centreHz * (1 + kValueSearch),
                         1.0 / (4.0 * seconds), 1.0);
  hz = BestOnGrid(hz - 1.0 / seconds, hz + 1.0 / seconds, 1.0 / (8.0 * seconds), 2.0);
  const double spacing = 1.0 / (24.0 * seconds);
  hz = BestOnGrid(hz - 0.25 / seconds, hz + 0.25 / seconds, spacing, 6.0);
  double a = hz - spacing, b = hz + spacing;
  const double golden = 0.6180339887498949;
  double c = b - golden * (b - a), d = a + golden * (b - a);
  double pc = HarmonicPower(c, 6.0), pd = HarmonicPower(d, 6.0);
  while (b - a > 1e-7 * centreHz) {
    if (pc > pd) {
      b = d;
      d = c;
      pd = pc;
      c = b - golden * (b - a);
      pc = HarmonicPower(c, 6.0);
    } else {
      a = c;
      c = d;
      pc = pd;
      d = a + golden * (b - a);
      pd = HarmonicPower(d, 6.0);
    }
  }
  return 60.0 * 0.5 * (a + b);
}

BeatLevel::Choice PreciseTempoEstimator::ChooseLevel(
    const std::vector<double>& r, const std::vector<std::pair<double, double>>& scan,
    double scanBpm) const {
  BeatLevelEvidence evidence;
  evidence.autocorrelation = &r;
  evidence.valueRate = valueRate_;
  evidence.scanBpm = scanBpm;
  evidence.standardBpm = standardBpm_;
  // The scan's three strongest local peaks.
  std::vector<std::pair<double, double>> peaks;
  for (size_t i = 1; i + 1 < scan.size(); ++i)
    if (scan[i].second > scan[i - 1].second && scan[i].second >= scan[i + 1].second &&
        scan[i].second > 0)
      peaks.emplace_back(scan[i].second, scan[i].first);
  std::sort(peaks.rbegin(), peaks.rend());
  for (size_t i = 0; i < peaks.size() && i < 3; ++i) evidence.scanPeaks.push_back(peaks[i].second);
  std::vector<float> curve;
  curve.reserve(chunks_.size() * kChunkValues + pendingCount_);
  for (const CurveChunk& c : chunks_)
    for (uint32_t i = 0; i < kChunkValues; ++i)
      curve.push_back(static_cast<float>(c.q[i]) * c.scale);
  curve.insert(curve.end(), pending_, pending_ + pendingCount_);
  evidence.curve = &curve;
  evidence.curveRate = curveRate_;
  const std::vector<float> kick = bands_.Values(BandCurves::kLow);
  const std::vector<float> snare = bands_.Values(BandCurves::kMiddle);
  evidence.kickCurve = &kick;
  evidence.snareCurve = &snare;
  const std::vector<float> hats = bands_.Values(BandCurves::kHigh);
  evidence.hatCurve = &hats;
  evidence.bandRate = bands_.Rate();
  return BeatLevel::Choose(evidence);
}
