// Kaiser-windowed sinc low-pass design and its direct-form application.
#include "lowpass_filter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tempyra::testsignal {
namespace {

// Modified Bessel function of the first kind, order 0, by its power series.
double besselI0(double x) {
  double sum = 1.0;
  double term = 1.0;
  const double half = x / 2.0;
  for (int k = 1; k < 200; ++k) {
    term *= (half / k) * (half / k);
    sum += term;
    if (term < sum * 1e-17) break;
  }
  return sum;
}

}  // namespace

LowpassFilter::LowpassFilter(double sampleRate, double stopHz, double transitionHz,
                             double attenuationDb) {
  const double pi = std::numbers::pi;
  const double cutoff =
      (stopHz - transitionHz / 2.0) / sampleRate;  // cycles per sample, -6 dB point
  const double deltaOmega = 2.0 * pi * transitionHz / sampleRate;
  const double beta = attenuationDb > 50.0    ? 0.1102 * (attenuationDb - 8.7)
                      : attenuationDb >= 21.0 ? 0.5842 * std::pow(attenuationDb - 21.0, 0.4) +
                                                    0.07886 * (attenuationDb - 21.0)
                                              : 0.0;
  int length = static_cast<int>(std::ceil((attenuationDb - 8.0) / (2.285 * deltaOmega))) + 1;
  if (length % 2 == 0) ++length;
  const int middle = length / 2;
  taps_.resize(static_cast<std::size_t>(length));
  const double i0Beta = besselI0(beta);
  double sum = 0.0;
  for (int n = 0; n < length; ++n) {
    const double t = n - middle;
    const double ratio = t / middle;
    const double window = besselI0(beta * std::sqrt(std::max(0.0, 1.0 - ratio * ratio))) / i0Beta;
    const double x = 2.0 * pi * cutoff * t;
    const double sinc = t == 0 ? 2.0 * cutoff : std::sin(x) / (pi * t);
    taps_[static_cast<std::size_t>(n)] = sinc * window;
    sum += taps_[static_cast<std::size_t>(n)];
  }
  for (double& tap : taps_) tap /= sum;  // unity gain at DC
}

std::vector<double> LowpassFilter::apply(const std::vector<double>& input) const {
  const long count = static_cast<long>(input.size());
  const long length = static_cast<long>(taps_.size());
  const long middle = length / 2;
  std::vector<double> output(input.size(), 0.0);
  for (long n = 0; n < count; ++n) {
    // output[n] = sum over k of taps[k] * input[n + middle - k], inside the signal only.
    const long kFirst = std::max(0L, n + middle - (count - 1));
    const long kLast = std::min(length - 1, n + middle);
    double acc = 0.0;
    for (long k = kFirst; k <= kLast; ++k)
      acc += taps_[static_cast<std::size_t>(k)] * input[static_cast<std::size_t>(n + middle - k)];
    output[static_cast<std::size_t>(n)] = acc;
  }
  return output;
}

}  // namespace tempyra::testsignal
