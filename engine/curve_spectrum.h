// CurveSpectrum: the power of a long block of real values (a whole track's
// onset curve) at chosen frequencies.
//
// Power(hz) is |sum over n of x[n] e^(-2 pi i hz n / rate)|^2. A handful of
// frequencies are worked out one by one with Goertzel's recurrence (two
// multiplications per value and frequency, four frequencies side by side
// in one pass over the values). A long run of evenly spaced frequencies
// goes through the chirp z-transform instead, whose cost grows with the
// block's length and not with the number of frequencies times it; the two
// agree to rounding, and Powers() picks whichever costs less.
//
// Fill Values() and set the rate, then ask; the values' memory is kept for
// the next block. One object is used by one thread at a time.
#pragma once

#include <cstddef>
#include <vector>

#include "engine/chirp_z.h"

class CurveSpectrum {
 public:
  // The block, to be resized and written by the caller.
  std::vector<double>& Values() { return values_; }
  const std::vector<double>& Values() const { return values_; }
  // Values per second: the unit of the frequencies asked for.
  void SetRate(double valuesPerSecond) { rate_ = valuesPerSecond; }
  double Rate() const { return rate_; }

  // The power at each of hz[0 .. count-1] by Goertzel's recurrence.
  void DirectPowers(const double* hz, size_t count, double* power) const;
  double Power(double hz) const;

  // The power at hz[0 .. count-1], which must be evenly spaced in rising
  // order (as first + k x step is, to rounding): by the chirp z-transform
  // when that is cheaper than DirectPowers, else by DirectPowers (also when
  // the transform could not get its work memory).
  void EvenPowers(const double* hz, size_t count, double* power);

  // Whether EvenPowers takes the chirp z-transform for `count` frequencies.
  bool ChirpIsCheaper(size_t count) const;

 private:
  std::vector<double> values_;
  double rate_ = 1.0;
  ChirpZ chirp_;
  std::vector<std::complex<double>> transformed_;
};
