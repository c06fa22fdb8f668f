// Real-input power spectrum. See real_fft.h.
//
// The even and odd values form one complex sequence z of half the length;
// after its transform Z, bin k of the real transform is
//   X[k] = (Z[k] + conj Z[h-k]) / 2 - i e^(-2 pi i k / n) (Z[k] - conj Z[h-k]) / 2
// with n the real length and h = n / 2.
#include "engine/real_fft.h"

#include <cmath>

RealFft::RealFft(uint32_t length)
    : length_(length),
      half_(length / 2),
      reversal_(half_),
      cosine_(half_ / 2),
      sine_(half_ / 2),
      splitCos_(half_ / 2 + 1),
      splitSin_(half_ / 2 + 1),
      re_(half_),
      im_(half_) {
  uint32_t bits = 0;
  while ((1u << bits) < half_) ++bits;
  for (uint32_t i = 0; i < half_; ++i) {
    uint32_t r = 0;
    for (uint32_t b = 0; b < bits; ++b) r |= ((i >> b) & 1u) << (bits - 1 - b);
    reversal_[i] = r;
  }
  const double twoPi = 6.283185307179586;
  for (uint32_t k = 0; k < half_ / 2; ++k) {
    cosine_[k] = static_cast<float>(std::cos(twoPi * k / half_));
    sine_[k] = static_cast<float>(-std::sin(twoPi * k / half_));
  }
  for (uint32_t k = 0; k <= half_ / 2; ++k) {
    splitCos_[k] = static_cast<float>(std::cos(twoPi * k / length_));
    splitSin_[k] = static_cast<float>(-std::sin(twoPi * k / length_));
  }
}

void RealFft::Power(const float* input, float* power) {
  float* re = re_.data();
  float* im = im_.data();
  const uint32_t h = half_;
  for (uint32_t i = 0; i < h; ++i) {
    const uint32_t r = reversal_[i];
    re[r] = input[2 * i];
    im[r] = input[2 * i + 1];
  }
  // Radix-2 passes, decimation in time.
  for (uint32_t span = 1; span < h; span *= 2) {
    const uint32_t step = h / (2 * span);
    for (uint32_t start = 0; start < h; start += 2 * span) {
      for (uint32_t j = 0; j < span; ++j) {
        const float wr = cosine_[j * step], wi = sine_[j * step];
        const uint32_t a = start + j, b = a + span;
        const float tr = re[b] * wr - im[b] * wi;
        const float ti = re[b] * wi + im[b] * wr;
        re[b] = re[a] - tr;
        im[b] = im[a] - ti;
        re[a] += tr;
        im[a] += ti;
      }
    }
  }
  // Split into the real transform's bins 0 .. h.
  power[0] = (re[0] + im[0]) * (re[0] + im[0]);
  power[h] = (re[0] - im[0]) * (re[0] - im[0]);
  for (uint32_t k = 1; k <= h / 2; ++k) {
    const uint32_t m = h - k;
    // Even part E = (Z[k] + conj Z[m]) / 2, odd part O = (Z[k] - conj Z[m]) / (2i).
    const float er = 0.5f * (re[k] + re[m]), ei = 0.5f * (im[k] - im[m]);
    const float or_ = 0.5f * (im[k] + im[m]), oi = -0.5f * (re[k] - re[m]);
    const float wr = splitCos_[k], wi = splitSin_[k];
    // X[k] = E + W O and X[m] = conj(E) - conj(W O)... written for both bins.
    const float tr = wr * or_ - wi * oi, ti = wr * oi + wi * or_;
    const float xr = er + tr, xi = ei + ti;
    const float yr = er - tr, yi = -(ei - ti);
    power[k] = xr * xr + xi * xi;
    power[m] = yr * yr + yi * yi;
  }
}
