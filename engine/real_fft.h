// RealFft: power spectrum of a block of real values whose length is a power
// of two, by a complex transform of half the length.
//
// The tables (bit reversal and twiddle factors) are built once, in the
// constructor; Power() then allocates nothing. Single precision, which is
// ample for onset detection and lets the loops run four to eight values at
// a time.
#pragma once

#include <cstdint>
#include <vector>

class RealFft {
 public:
  // length: a power of two from 4 to 65536.
  explicit RealFft(uint32_t length);

  uint32_t Length() const { return length_; }

  // Transforms input[0 .. Length()-1] and writes the squared magnitudes of
  // bins 0 .. Length()/2 into power (Length()/2 + 1 values). Bin k stands
  // for k / Length() of the sampling rate.
  void Power(const float* input, float* power);

 private:
  uint32_t length_;
  uint32_t half_;                           // complex points transformed
  std::vector<uint32_t> reversal_;          // bit-reversed index of each complex point
  std::vector<float> cosine_, sine_;        // e^(-2 pi i k / half), k < half / 2
  std::vector<float> splitCos_, splitSin_;  // e^(-2 pi i k / length), k <= half / 2
  std::vector<float> re_, im_;              // work arrays of half values
};
