// DefaultTempoEstimator: the program's standard estimate (TempoDetector
// followed by EstimateTempo over 30-240 BPM) behind the TempoEstimator
// interface. It only forwards: the value is the very one the detector and
// EstimateTempo give on their own, bit for bit. It does not judge its
// confidence (NaN).
#pragma once

#include "engine/tempo_detector.h"
#include "engine/tempo_estimator.h"

class DefaultTempoEstimator final : public TempoEstimator {
 public:
  void Reset() override {
    detector_.Reset();
    sampleRate_ = 0;
  }
  void FeedBlock(const uint8_t* pcm, uint32_t bytes, uint32_t sampleRate, uint32_t frameBytes,
                 uint32_t channels) override;
  // Rewrites part of the periodicity spectrum, as EstimateTempo does.
  TempoEstimate Estimate() override;

  TempoDetector& Detector() { return detector_; }
  const TempoDetector& Detector() const { return detector_; }

 private:
  TempoDetector detector_;
  uint32_t sampleRate_ = 0;  // of the first block since Reset()
};
