// Chirp z-transform by Bluestein's convolution. See chirp_z.h.
#include "engine/chirp_z.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/fft.h"

namespace {

// e^(i angle) for the chirp's angle `step` x j^2 / 2, with j^2 / 2 kept
// exact (j^2 is exact in a double for every length a track gives) so that
// the angle is only rounded once.
std::complex<double> Chirp(double step, size_t j) {
  const double half = static_cast<double>(j) * static_cast<double>(j) * 0.5;
  const double angle = step * half;
  return {std::cos(angle), std::sin(angle)};
}

}  // namespace

size_t ChirpZ::TransformLength(size_t values, size_t count) {
  const size_t need = values + count - 1;
  size_t best = std::numeric_limits<size_t>::max();
  for (size_t p5 = 1; p5 < best; p5 *= 5) {
    for (size_t p35 = p5; p35 < best; p35 *= 3) {
      size_t length = p35;
      while (length < need) length *= 2;
      int factors[11];
      if (length < best && fft_factorise(length, factors) >= 0) best = length;
    }
  }
  return best;
}

size_t ChirpZ::SegmentLength(size_t values) {
  return std::min(values, kSegmentValues);
}

bool ChirpZ::Transform(const double* x, size_t n, double first, double step, size_t count,
                       std::vector<std::complex<double>>* out) {
  out->clear();
  if (count == 0) return true;
  out->assign(count, {0.0, 0.0});
  if (n == 0) return true;
  const size_t segment = SegmentLength(n);
  const size_t length = TransformLength(segment, count);
  if (length > static_cast<size_t>(std::numeric_limits<int>::max())) {
    out->clear();
    return false;
  }
  const int dims[1] = {static_cast<int>(length)};
  // b[j] = e^(i step j^2 / 2) for j = -(segment-1) .. count-1, the negative
  // j wrapped to the end; transformed once for every segment.
  bRe_.assign(length, 0.0);
  bIm_.assign(length, 0.0);
  for (size_t j = 0; j < count; ++j) {
    const std::complex<double> c = Chirp(step, j);
    bRe_[j] = c.real();
    bIm_[j] = c.imag();
  }
  for (size_t j = 1; j < segment; ++j) {
    const std::complex<double> c = Chirp(step, j);
    bRe_[length - j] = c.real();
    bIm_[length - j] = c.imag();
  }
  if (fftn(1, dims, bRe_.data(), bIm_.data(), -1, 0.0) != 0) {
    out->clear();
    return false;
  }
  // Segment by segment: the segment from s0 on contributes its own
  // transform, shifted by e^(-i (first + k step) s0).
  for (size_t s0 = 0; s0 < n; s0 += segment) {
    const size_t m = std::min(segment, n - s0);
    aRe_.assign(length, 0.0);
    aIm_.assign(length, 0.0);
    // a[i] = x[s0 + i] e^(-i (first i + step i^2 / 2)).
    for (size_t i = 0; i < m; ++i) {
      const double angle = first * static_cast<double>(i);
      const std::complex<double> w =
          std::complex<double>(std::cos(angle), -std::sin(angle)) * std::conj(Chirp(step, i));
      aRe_[i] = x[s0 + i] * w.real();
      aIm_[i] = x[s0 + i] * w.imag();
    }
    if (fftn(1, dims, aRe_.data(), aIm_.data(), -1, 0.0) != 0) {
      out->clear();
      return false;
    }
    for (size_t i = 0; i < length; ++i) {
      const double re = aRe_[i] * bRe_[i] - aIm_[i] * bIm_[i];
      const double im = aRe_[i] * bIm_[i] + aIm_[i] * bRe_[i];
      aRe_[i] = re;
      aIm_[i] = im;
    }
    if (fftn(1, dims, aRe_.data(), aIm_.data(), +1, static_cast<double>(length)) != 0) {
      out->clear();
      return false;
    }
    const double offset = static_cast<double>(s0);
    for (size_t k = 0; k < count; ++k) {
      const double angle = (first + step * static_cast<double>(k)) * offset;
      const std::complex<double> shift(std::cos(angle), -std::sin(angle));
      (*out)[k] += shift * std::conj(Chirp(step, k)) * std::complex<double>(aRe_[k], aIm_[k]);
    }
  }
  return true;
}
