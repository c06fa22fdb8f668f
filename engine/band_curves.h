// BandCurves: three coarse onset curves of the whole track, one for the low
// band (the kick drum), one for the middle bands (the snare) and one for
// the top band (hats and cymbals), kept for the beat-level decision: which
// beats the kick and the snare mark and how the hats divide them tells a
// backbeat at one tempo from the same pattern read at twice or half of it.
//
// Each band's onset values (OnsetEnvelope::BandValue) less a running mean
// of about a second are averaged over kStep values (about 10.8 values per
// second at 86 onset values per second) and stored in 8 bits with one scale
// per 64 values: about 11 bytes per second of audio and band.
//
// Lifecycle: Start() at the stream's first block, Add() for every onset
// value, Values() when estimating; Reset() forgets the track and keeps the
// memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

class BandCurves {
 public:
  enum Band : uint32_t { kLow, kMiddle, kHigh, kBandCount };
  static constexpr uint32_t kStep = 8;  // onset values per curve value

  void Reset();
  void Start(double onsetValueRate);
  void Add(float low, float middle, float high);

  // The band's curve, kStep onset values per value.
  std::vector<float> Values(Band band) const;
  double Rate() const { return rate_; }
  size_t Bytes() const;

 private:
  static constexpr uint32_t kChunkValues = 64;
  struct Chunk {
    float scale;
    int8_t q[kChunkValues];
  };
  struct Curve {
    std::deque<Chunk> chunks;
    float pending[kChunkValues] = {};
    uint32_t pendingCount = 0;
    double mean = 0;
    double sum = 0;
  };
  void AddTo(Curve& curve, float value, bool flush);

  Curve curves_[kBandCount];
  double rate_ = 0;
  double follow_ = 0.01;  // of the running mean, per onset value
  uint32_t phase_ = 0;
};
