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
  for (uint32_t span = 4; span < half_; span *= 2) {
    for (uint32_t j = 0; j < span; ++j) {
      cosine_.push_back(static_cast<float>(std::cos(twoPi * j / (2 * span))));
      sine_.push_back(static_cast<float>(-std::sin(twoPi * j / (2 * span))));
    }
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
  // The first two passes (spans 1 and 2) together as radix-4 butterflies,
  // whose twiddle factors are 1 and -i; then radix-2 passes, decimation in
  // time, each with its own run of twiddle factors.
  if (h >= 4) {
    for (uint32_t a = 0; a < h; a += 4) {
      const float r0 = re[a] + re[a + 1], i0 = im[a] + im[a + 1];
      const float r1 = re[a] - re[a + 1], i1 = im[a] - im[a + 1];
      const float r2 = re[a + 2] + re[a + 3], i2 = im[a + 2] + im[a + 3];
      const float r3 = re[a + 2] - re[a + 3], i3 = im[a + 2] - im[a + 3];
      re[a] = r0 + r2;
      im[a] = i0 + i2;
      re[a + 2] = r0 - r2;
      im[a + 2] = i0 - i2;
      // (r3 + i i3) x (-i) = i3 - i r3
      re[a + 1] = r1 + i3;
      im[a + 1] = i1 - r3;
      re[a + 3] = r1 - i3;
      im[a + 3] = i1 + r3;
    }
  } else if (h == 2) {
    const float r = re[1], i = im[1];
    re[1] = re[0] - r;
    im[1] = im[0] - i;
    re[0] += r;
    im[0] += i;
  }
  const float* twiddleRe = cosine_.data();
  const float* twiddleIm = sine_.data();
  for (uint32_t span = 4; span < h; span *= 2) {
    for (uint32_t start = 0; start < h; start += 2 * span) {
      float* ar = re + start;
      float* ai = im + start;
      float* br = ar + span;
      float* bi = ai + span;
      for (uint32_t j = 0; j < span; ++j) {
        const float tr = br[j] * twiddleRe[j] - bi[j] * twiddleIm[j];
        const float ti = br[j] * twiddleIm[j] + bi[j] * twiddleRe[j];
        br[j] = ar[j] - tr;
        bi[j] = ai[j] - ti;
        ar[j] += tr;
        ai[j] += ti;
      }
    }
    twiddleRe += span;
    twiddleIm += span;
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
