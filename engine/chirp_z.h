// Chirp z-transform: the discrete-time Fourier transform of a block of real
// values at evenly spaced frequencies of any spacing, all at once.
//
// For x[0 .. N-1] it gives, for k = 0 .. count-1,
//     X[k] = sum over n of x[n] e^(-i (first + k step) n)
// (angles in radians per value), as Bluestein's algorithm does: with
// n k = (n^2 + k^2 - (k - n)^2) / 2 the sum becomes a convolution with the
// chirp e^(i step j^2 / 2), done by complex transforms of a length
// L >= S + count - 1 whose only factors are 2, 3 and 5. A long block is
// taken in segments of S = SegmentLength(N) values (at most kSegmentValues),
// each segment's transform shifted by its start and added up, so that the
// work memory stays the same however long the block: the chirp's
// transform once, then two transforms per segment. That costs about
// N / S x L log L operations against N x count for evaluating every
// frequency on its own, so a fine grid over a long block is cheap: the
// zoom of a DFT onto a narrow band.
//
// The transform keeps its work arrays between calls (a few L-long arrays,
// some 0.5 MB at most for 4000 outputs). One object is used by one thread
// at a time.
#pragma once

#include <complex>
#include <cstddef>
#include <vector>

class ChirpZ {
 public:
  static constexpr size_t kSegmentValues = 16384;

  // The values taken at a time from a block of `values`.
  static size_t SegmentLength(size_t values);

  // The length of the transforms used for a segment of `values` inputs
  // and `count` outputs: the smallest 2^a 3^b 5^c that holds the convolution and that
  // the mixed-radix transform takes (it splits a length into at most 11
  // factors).
  static size_t TransformLength(size_t values, size_t count);

  // Writes X[0 .. count-1] into *out (resized). False when the transform
  // failed (no memory for its work); *out is then empty.
  bool Transform(const double* x, size_t n, double first, double step, size_t count,
                 std::vector<std::complex<double>>* out);

 private:
  std::vector<double> aRe_, aIm_, bRe_, bIm_;
};
