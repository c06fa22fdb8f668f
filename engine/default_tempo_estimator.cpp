// The standard estimate behind the TempoEstimator interface. See
// default_tempo_estimator.h.
#include "engine/default_tempo_estimator.h"

#include <limits>

#include "engine/tempo_estimation.h"

void DefaultTempoEstimator::FeedBlock(const uint8_t* pcm, uint32_t bytes, uint32_t sampleRate,
                                      uint32_t frameBytes, uint32_t channels) {
  if (sampleRate_ == 0) sampleRate_ = sampleRate;
  detector_.FeedBlock(pcm, bytes, sampleRate, frameBytes, channels);
}

TempoEstimate DefaultTempoEstimator::Estimate() {
  const double bpm = EstimateTempo(detector_.PeriodicitySpectrum(), sampleRate_, 30.0, 240.0);
  return {bpm, std::numeric_limits<double>::quiet_NaN()};
}
