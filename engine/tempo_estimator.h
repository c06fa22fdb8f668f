// TempoEstimator: the one small interface behind which the engine's tempo
// estimators sit, so that a caller can run either (or both) on the same
// decoded audio.
//
// Lifecycle, one file at a time:
//   1. Reset()      forgets the previous file (memory is kept for reuse);
//   2. FeedBlock()  for every decoded block, in stream order, with the same
//                   arguments TempoDetector::FeedBlock takes;
//   3. Estimate()   once, after the last block: the tempo and how far to
//                   trust it. Some estimators rewrite their state while
//                   estimating, so a second call is not promised to repeat
//                   the first; call Reset() before the next file.
//   4. destruction  frees everything; nothing outlives the object.
// An estimator is used by one thread at a time; it may be handed from the
// thread that fed it to another once feeding has ended.
#pragma once

#include <cstdint>
#include <limits>

// The result of one estimate. `bpm` is NaN when the audio held nothing to
// measure (too short, silent); callers treat a non-finite value as a failed
// analysis. `confidence` lies in [0, 1]: how strongly one tempo explains the
// onsets; NaN when the estimator does not judge it.
// `alternative` is the runner-up beat level (a tempo in beats per minute)
// and `alternativeConfidence` its strength on the same scale, for an
// estimator that weighs levels against each other; both NaN otherwise.
struct TempoEstimate {
  double bpm;
  double confidence;
  double alternative = std::numeric_limits<double>::quiet_NaN();
  double alternativeConfidence = std::numeric_limits<double>::quiet_NaN();
};

class TempoEstimator {
 public:
  virtual ~TempoEstimator() = default;

  virtual void Reset() = 0;
  // Interleaved PCM: bytes of sample frames of frameBytes bytes each
  // (channels x bits / 8; signed 8-bit or 16-bit little-endian samples,
  // channels 0 counts as 1) at sampleRate Hz.
  virtual void FeedBlock(const uint8_t* pcm, uint32_t bytes, uint32_t sampleRate,
                         uint32_t frameBytes, uint32_t channels) = 0;
  virtual TempoEstimate Estimate() = 0;
};
