// Band-limited difference of two decodings by an ideal low-pass in the DFT
// domain (radix-2 transform over the signal padded to at least twice its
// length, so that the filter's wrap-around stays in the padding).
#include "band_limited_difference.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <numbers>

namespace tempyra::conformance {

namespace {

using Complex = std::complex<double>;

// In-place radix-2 transform; `inverse` gives the unscaled inverse.
void transform(std::vector<Complex>& data, bool inverse) {
  const std::size_t n = data.size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(data[i], data[j]);
  }
  for (std::size_t length = 2; length <= n; length <<= 1) {
    const double angle = (inverse ? 2.0 : -2.0) * std::numbers::pi / static_cast<double>(length);
    const std::size_t half = length / 2;
    std::vector<Complex> twiddle(half);
    for (std::size_t k = 0; k < half; ++k)
      twiddle[k] = std::polar(1.0, angle * static_cast<double>(k));
    for (std::size_t start = 0; start < n; start += length) {
      for (std::size_t k = 0; k < half; ++k) {
        const Complex even = data[start + k];
        const Complex odd = data[start + k + half] * twiddle[k];
        data[start + k] = even + odd;
        data[start + k + half] = even - odd;
      }
    }
  }
}

}  // namespace

double BandLimitedDifference::sdrDb() const {
  if (differenceEnergy == 0.0) return std::numeric_limits<double>::infinity();
  if (signalEnergy == 0.0) return -std::numeric_limits<double>::infinity();
  return 10.0 * std::log10(signalEnergy / differenceEnergy);
}

double BandLimitedDifference::rmsDifference(int channels) const {
  if (comparedFrames == 0) return 0.0;
  return std::sqrt(differenceEnergy / double(comparedFrames * std::size_t(channels)));
}

BandLimitedDifference compareBelow(const std::vector<std::int16_t>& ours,
                                   const std::vector<std::int16_t>& reference, int channels,
                                   double sampleRate, double cutoffHz) {
  BandLimitedDifference result;
  const std::size_t stride = static_cast<std::size_t>(channels);
  const std::size_t frames = std::min(reference.size(), ours.size()) / stride;
  result.comparedFrames = frames;
  if (frames == 0) return result;
  std::size_t size = 1;
  while (size < 2 * frames) size <<= 1;

  // Bins below the cut-off, counting both signs of frequency.
  const auto keep = [&](std::size_t bin) {
    const std::size_t folded = bin <= size / 2 ? bin : size - bin;
    return static_cast<double>(folded) * sampleRate / static_cast<double>(size) < cutoffHz;
  };
  const double scale = 1.0 / static_cast<double>(size);

  std::vector<Complex> signal(size), difference(size);
  for (std::size_t channel = 0; channel < stride; ++channel) {
    for (std::size_t i = 0; i < size; ++i) {
      signal[i] = difference[i] = 0.0;
      if (i >= frames) continue;
      const std::size_t at = i * stride + channel;
      signal[i] = reference[at];
      difference[i] = double(ours[at]) - double(reference[at]);
    }
    transform(signal, false);
    transform(difference, false);
    for (std::size_t bin = 0; bin < size; ++bin) {
      if (keep(bin)) {
        result.signalEnergy += std::norm(signal[bin]) * scale;
        result.differenceEnergy += std::norm(difference[bin]) * scale;
      } else {
        difference[bin] = 0.0;
      }
    }
    transform(difference, true);
    for (std::size_t i = 0; i < frames; ++i) {
      const double value = std::abs(difference[i].real()) * scale;
      if (value > result.maxDifference) {
        result.maxDifference = value;
        result.maxDifferenceFrame = i;
      }
    }
  }
  return result;
}

void trimTrailingSilence(std::vector<std::int16_t>& samples, int channels) {
  const std::size_t stride = static_cast<std::size_t>(channels);
  std::size_t frames = samples.size() / stride;
  while (frames > 0) {
    bool silent = true;
    for (std::size_t c = 0; c < stride; ++c)
      if (samples[(frames - 1) * stride + c] != 0) silent = false;
    if (!silent) break;
    --frames;
  }
  samples.resize(frames * stride);
}

}  // namespace tempyra::conformance
