// OnsetEnvelope: turns PCM into an onset strength curve at about 86 values
// per second (one per 11.6 ms at 44100 Hz), the input of the precise tempo
// estimator.
//
// The PCM is mixed to mono and reduced by summing D consecutive samples,
// D = the sampling rate / 11025 rounded (at least 1), to about 11 kHz.
// Every kHop reduced samples, the last kFrameLength of them are
// Hann-windowed and transformed; each bin's power is compressed
// logarithmically, and the sum of the rises of bins 1 .. kFrameLength/2 - 1
// against the previous frame (the spectral flux) is one onset value.
// Logarithmic compression lets soft onsets (a plucked string under a loud
// pad) count as well as loud ones.
//
// Lifecycle: Start(rate) before the first block of a stream (it sizes
// nothing: all memory is taken in the constructor), then Feed() blocks in
// order; the values come out through the callback given to Feed().
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/real_fft.h"

class OnsetEnvelope {
 public:
  static constexpr uint32_t kFrameLength = 256;
  static constexpr uint32_t kHop = 128;
  static constexpr uint32_t kReducedRate = 11025;  // aimed at; the real rate is rate / D

  OnsetEnvelope();

  // Begins a stream at sampleRate Hz (at least 1).
  void Start(uint32_t sampleRate);
  // Onset values per second: sampleRate / (D x kHop).
  double ValueRate() const { return valueRate_; }
  // See Feed(); band < kBandCount.
  static constexpr uint32_t kBandCount = 4;
  float BandValue(uint32_t band) const { return bandValue_[band]; }

  // Adds `frames` interleaved sample frames of `channels` signed samples of
  // `bits` (8 or 16, little-endian) bits each; calls sink(value) for every
  // onset value completed.
  // While sink runs, BandValue(b) tells how band b (below 170 Hz, to 500
  // Hz, to 1.5 kHz, above) rose in the frame of that value, against its
  // own running mean: the low band follows the kick drum, the middle ones
  // the snare, the top one the hats.
  template <typename Sink>
  void Feed(const uint8_t* pcm, uint32_t frames, uint32_t bits, uint32_t channels, Sink&& sink) {
    while (frames != 0) {
      const uint32_t made = MixDown(pcm, frames, bits, channels, kHop - filled_);
      pcm += static_cast<size_t>(usedFrames_) * channels * (bits / 8);
      frames -= usedFrames_;
      filled_ += made;
      if (filled_ == kHop) {
        filled_ = 0;
        sink(FrameFlux());
      }
    }
  }

 private:
  // Mixes and reduces up to `frames` sample frames into at most `room`
  // reduced samples; returns how many were completed and sets usedFrames_.
  uint32_t MixDown(const uint8_t* pcm, uint32_t frames, uint32_t bits, uint32_t channels,
                   uint32_t room);
  float FrameFlux();

  RealFft fft_;
  uint32_t reduction_ = 1;  // D
  double valueRate_ = 0;
  float sampleScale_ = 1;  // makes a reduced sample the mean of its inputs
  // Reduced samples: a ring of kFrameLength; filled_ new ones since the last frame.
  std::vector<float> history_;
  uint32_t writeAt_ = 0;
  uint32_t filled_ = 0;
  // The reduction's running sum over the current group of D frames.
  int64_t partialSum_ = 0;
  uint32_t partialFrames_ = 0;
  uint32_t usedFrames_ = 0;
  // Bands of bins whose rises are summed and weighed against their own
  // running means: below 170 Hz, to 500 Hz, to 1.5 kHz, and above (at a
  // reduced rate of 11025 Hz). kBandEnds[b] is one past band b's last bin.
  static constexpr uint32_t kBands = kBandCount;
  static constexpr uint32_t kBandEnds[kBands] = {4, 12, 36, kFrameLength / 2};
  static constexpr float kMeanFollow = 1.0f / 400.0f;  // about 4.6 s of values
  static constexpr uint32_t kMeanWarmUp = 400;  // frames until the means follow at kMeanFollow
  uint32_t framesSeen_ = 0;
  float bandMean_[kBands] = {};
  float bandFlux_[kBands] = {};
  float bandValue_[kBands] = {};  // bandFlux_ / (bandMean_ + floor) of the last frame
  std::vector<float> window_, frame_, power_, previous_;
  bool havePrevious_ = false;
};
