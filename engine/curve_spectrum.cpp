// Powers of a long block at chosen frequencies. See curve_spectrum.h.
#include "engine/curve_spectrum.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr size_t kLanes = 8;  // frequencies per pass of Goertzel's recurrence

// Relative costs, measured on this code: one step of the recurrence (per
// value and frequency) against one point of a transform pass of the chirp
// z-transform (transforms of L points, log2 L passes each) and the set-up
// per point of each transform (the chirp's sines and cosines).
constexpr double kGoertzelStepCost = 1.0;
constexpr double kChirpPointCost = 1.0;
constexpr double kChirpSetupCost = 150.0;

}  // namespace

void CurveSpectrum::DirectPowers(const double* hz, size_t count, double* power) const {
  const double* x = values_.data();
  const size_t n = values_.size();
  for (size_t first = 0; first < count; first += kLanes) {
    const size_t lanes = std::min(kLanes, count - first);
    // Unused lanes run at 0 Hz and are thrown away.
    double coefficient[kLanes], s1[kLanes] = {}, s2[kLanes] = {};
    for (size_t l = 0; l < kLanes; ++l)
      coefficient[l] = l < lanes ? 2.0 * std::cos(kTwoPi * hz[first + l] / rate_) : 2.0;
    for (size_t i = 0; i < n; ++i) {
      const double v = x[i];
      for (size_t l = 0; l < kLanes; ++l) {
        const double s0 = v + coefficient[l] * s1[l] - s2[l];
        s2[l] = s1[l];
        s1[l] = s0;
      }
    }
    for (size_t l = 0; l < lanes; ++l)
      power[first + l] = s1[l] * s1[l] + s2[l] * s2[l] - coefficient[l] * s1[l] * s2[l];
  }
}

double CurveSpectrum::Power(double hz) const {
  double power = 0;
  DirectPowers(&hz, 1, &power);
  return power;
}

bool CurveSpectrum::ChirpIsCheaper(size_t count) const {
  if (count < 2 || values_.empty()) return false;
  const size_t n = values_.size();
  const size_t segment = ChirpZ::SegmentLength(n);
  const auto segments = static_cast<double>((n + segment - 1) / segment);
  const auto length = static_cast<double>(ChirpZ::TransformLength(segment, count));
  const double passes = std::log2(length);
  const double direct = kGoertzelStepCost * static_cast<double>(n) *
                        static_cast<double>((count + kLanes - 1) / kLanes * kLanes);
  // The chirp's transform once, two transforms and the set-up per segment.
  const double chirp = length * (kChirpPointCost * passes + kChirpSetupCost) +
                       segments * length * (kChirpPointCost * 2.0 * passes + kChirpSetupCost);
  return chirp < direct;
}

void CurveSpectrum::EvenPowers(const double* hz, size_t count, double* power) {
  if (ChirpIsCheaper(count)) {
    const double toRadians = kTwoPi / rate_;
    const double step = (hz[count - 1] - hz[0]) / static_cast<double>(count - 1);
    if (chirp_.Transform(values_.data(), values_.size(), hz[0] * toRadians, step * toRadians, count,
                         &transformed_)) {
      for (size_t k = 0; k < count; ++k) power[k] = std::norm(transformed_[k]);
      return;
    }
  }
  DirectPowers(hz, count, power);
}
