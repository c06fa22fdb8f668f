// Tempo estimation from the periodicity spectrum. See tempo_estimation.h.
#include "engine/tempo_estimation.h"

#include <cmath>
#include <limits>

namespace {

// Bins 1 .. kLastScoredBin are scored; higher bins keep accumulated
// magnitudes, which must not compete with scores.
constexpr int kLastScoredBin = 239;

}  // namespace

double TempoBinWidth(uint32_t sampleRate) {
  const uint32_t segmentLength = sampleRate >> 4;
  if (segmentLength == 0) return std::numeric_limits<double>::quiet_NaN();
  return (static_cast<double>(sampleRate) * 60.0) / (static_cast<double>(segmentLength) * 960.0);
}

double EstimateTempo(double P[481], uint32_t sampleRate, double minTempo, double maxTempo) {
  const double f = TempoBinWidth(sampleRate);
  if (!std::isfinite(f)) return std::numeric_limits<double>::quiet_NaN();

  // Prominence: how far the spectrum has climbed since it last stopped rising.
  double work[kLastScoredBin];
  double run = 0.0;
  for (int i = 0; i < kLastScoredBin; ++i) {
    double d = P[i + 1] - P[i];
    run = d > 0.0 ? run + d : 0.0;
    work[i] = run;
  }
  for (int i = 0; i < kLastScoredBin; ++i) P[i + 1] = work[i];

  // Score: own prominence, plus a fifteenth of the bins around the double,
  // minus 2.7 times the bin at two thirds. All reads precede the writes.
  for (int k = 1; k <= kLastScoredBin; ++k) {
    double twoThirds = P[(2 * k) / 3];
    work[k - 1] = 0.5 * (P[k] + (P[2 * k - 1] + P[2 * k] + P[2 * k + 1]) * 0.06666666666666667 -
                         2.7 * (twoThirds > 0.0 ? twoThirds : 0.0));
  }
  for (int k = 1; k <= kLastScoredBin; ++k) P[k] = work[k - 1];

  // Search: a sine weight favours the middle of the range up to three to one.
  const double a = minTempo / f;
  const double b = maxTempo / f;
  const double width = (maxTempo - minTempo) / f;
  if (!(a >= 2.0 && a < kLastScoredBin + 1.0))  // the five bins must exist
    return std::numeric_limits<double>::quiet_NaN();
  const int first = static_cast<int>(a);
  auto weight = [&](int k) { return (std::sin(3.1415 * (k - a) / width) + 0.5) * P[k]; };
  int best = first, last = first;
  for (int k = first; k <= b && k <= kLastScoredBin; ++k) {
    if (weight(best) < weight(k)) best = k;
    last = k;
  }

  // Centroid over the five bins around the best one. Scores of both signs
  // can all but cancel in the denominator and throw the quotient anywhere,
  // even below zero. A quotient outside the bins the search and the
  // centroid cover is no tempo at all; the best bin itself is then the
  // estimate.
  double num = 0.0, den = 0.0;
  for (int i = best - 2; i <= best + 2; ++i) {
    num += i * P[i];
    den += P[i];
  }
  if (den == 0.0) return std::numeric_limits<double>::quiet_NaN();
  const double centre = num / den;
  if (!(centre >= first - 2 && centre <= last + 2)) return f * best;
  return f * num / den;
}
