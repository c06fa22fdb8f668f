// The chirp z-transform against the plain sum it replaces, its choice of
// transform length, and CurveSpectrum's two ways to the same powers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <vector>

#include "engine/chirp_z.h"
#include "engine/curve_spectrum.h"
#include "engine/fft.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;

// Noise plus a few tones, the same every time.
std::vector<double> Block(size_t n, uint32_t seed) {
  std::vector<double> x(n);
  uint32_t state = seed;
  for (size_t i = 0; i < n; ++i) {
    state = state * 1664525u + 1013904223u;
    const double t = static_cast<double>(i);
    x[i] = static_cast<double>(state >> 8) / 8388608.0 - 1.0 + 3.0 * std::sin(0.61 * t) +
           0.5 * std::cos(1.7 * t + 0.3);
  }
  return x;
}

// sum over n of x[n] e^(-i w n), in long double.
std::complex<long double> Dft(const std::vector<double>& x, double w) {
  long double re = 0, im = 0;
  for (size_t n = 0; n < x.size(); ++n) {
    const long double angle = static_cast<long double>(w) * static_cast<long double>(n);
    re += x[n] * std::cos(angle);
    im -= x[n] * std::sin(angle);
  }
  return {re, im};
}

bool OnlyFactors235(size_t n) {
  for (size_t p : {2u, 3u, 5u})
    while (n % p == 0) n /= p;
  return n == 1;
}

}  // namespace

TEST(ChirpZ, MatchesTheDirectSumOnAnyGrid) {
  // Lengths prime, even and odd; one output and many; grids narrow (a zoom
  // onto a band) and wide, starting anywhere, more outputs than inputs;
  // blocks taken in two and in four segments, the last one short.
  struct Case {
    size_t n, count;
    double first, step;
  };
  for (const Case& c :
       {Case{1, 1, 0.3, 0.0}, Case{7, 5, 0.0, 0.9}, Case{997, 1, 0.61, 0.001},
        Case{1000, 301, 0.55, 1e-4}, Case{4099, 64, 2.0, -0.003}, Case{20000, 40, 0.6, 2e-6},
        Case{300, 2000, 0.0, 0.0031}, Case{3 * ChirpZ::kSegmentValues + 5, 24, 1.1, 3e-6}}) {
    const std::vector<double> x = Block(c.n, static_cast<uint32_t>(c.n));
    ChirpZ z;
    std::vector<std::complex<double>> out;
    ASSERT_TRUE(z.Transform(x.data(), x.size(), c.first, c.step, c.count, &out)) << c.n;
    ASSERT_EQ(out.size(), c.count);
    double scale = 0;  // the block's sum of magnitudes bounds every output
    for (double v : x) scale += std::fabs(v);
    for (size_t k = 0; k < c.count; ++k) {
      const std::complex<long double> want = Dft(x, c.first + c.step * static_cast<double>(k));
      EXPECT_NEAR(out[k].real(), static_cast<double>(want.real()), 1e-11 * scale)
          << c.n << " " << k;
      EXPECT_NEAR(out[k].imag(), static_cast<double>(want.imag()), 1e-11 * scale)
          << c.n << " " << k;
    }
  }
}

TEST(ChirpZ, EmptyInputsAndNoOutputs) {
  ChirpZ z;
  std::vector<std::complex<double>> out(3, {1.0, 1.0});
  ASSERT_TRUE(z.Transform(nullptr, 0, 0.5, 0.1, 4, &out));
  ASSERT_EQ(out.size(), 4u);
  for (const auto& v : out) EXPECT_EQ(v, std::complex<double>(0.0, 0.0));
  const std::vector<double> x = Block(10, 1);
  ASSERT_TRUE(z.Transform(x.data(), x.size(), 0.5, 0.1, 0, &out));
  EXPECT_TRUE(out.empty());
}

TEST(ChirpZ, TransformLengthIsTheShortestTheTransformTakes) {
  // At least inputs + outputs - 1, only factors 2, 3 and 5, accepted by
  // the mixed-radix transform (at most 11 factors), and no shorter such
  // length exists; long tracks included, where the limit on factors bites.
  int factors[11];
  for (size_t need : {1u, 2u, 7u, 97u, 1000u, 6001u, 40001u, 155521u, 262145u, 1000003u}) {
    const size_t length = ChirpZ::TransformLength(need, 1);
    EXPECT_GE(length, need);
    EXPECT_TRUE(OnlyFactors235(length)) << length;
    EXPECT_GE(fft_factorise(length, factors), 0) << length;
    for (size_t shorter = need; shorter < length; ++shorter)
      EXPECT_FALSE(OnlyFactors235(shorter) && fft_factorise(shorter, factors) >= 0)
          << need << ": " << shorter << " would do";
  }
  EXPECT_EQ(ChirpZ::TransformLength(100, 29), 128u);
}

TEST(CurveSpectrum, ChirpAndGoertzelGiveTheSamePowers) {
  // A block as long as an hour's curve, a fine grid across a peak: the
  // grid goes through the chirp z-transform, single frequencies through
  // Goertzel's recurrence, and both agree with the plain sum.
  CurveSpectrum s;
  const double rate = 21.5;
  s.SetRate(rate);
  s.Values() = Block(77400, 3);
  const size_t count = 2001;
  ASSERT_TRUE(s.ChirpIsCheaper(count));
  ASSERT_FALSE(s.ChirpIsCheaper(7));
  std::vector<double> hz(count), grid(count), direct(count);
  const double peakHz = 0.61 * rate / kTwoPi;
  for (size_t k = 0; k < count; ++k)
    hz[k] = peakHz - 0.01 + 0.02 * static_cast<double>(k) / static_cast<double>(count - 1);
  s.EvenPowers(hz.data(), count, grid.data());
  s.DirectPowers(hz.data(), count, direct.data());
  const double peak = *std::max_element(direct.begin(), direct.end());
  EXPECT_GT(peak, 1e9);  // the tone: (3 x 77400 / 2)^2
  EXPECT_EQ(std::max_element(grid.begin(), grid.end()) - grid.begin(),
            std::max_element(direct.begin(), direct.end()) - direct.begin());
  for (size_t k = 0; k < count; ++k) EXPECT_NEAR(grid[k], direct[k], 1e-9 * peak) << k;
  for (size_t k : {0u, 1000u, 1377u}) {
    const auto plain = static_cast<double>(std::norm(Dft(s.Values(), kTwoPi * hz[k] / rate)));
    EXPECT_NEAR(s.Power(hz[k]), plain, 1e-9 * peak) << k;
    EXPECT_EQ(s.Power(hz[k]), direct[k]) << k;  // the same sum, lane or not
  }
}
