// The mixed-radix FFT against a direct evaluation of the DFT sum, and its
// failure paths.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "engine/fft.h"

namespace {

struct Complex {
  std::vector<double> re, im;
};

Complex TestSignal(size_t n, unsigned seed) {
  Complex x{std::vector<double>(n), std::vector<double>(n)};
  uint32_t state = seed * 2654435761u + 1;
  auto next = [&] {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) / double(1 << 24) - 0.5;
  };
  for (size_t j = 0; j < n; ++j) {
    x.re[j] = next();
    x.im[j] = next();
  }
  return x;
}

// Direct DFT of a multi-dimensional array, first dimension fastest.
Complex DirectDft(const Complex& x, const std::vector<int>& dims, int sign) {
  size_t total = x.re.size();
  Complex y{std::vector<double>(total), std::vector<double>(total)};
  for (size_t k = 0; k < total; ++k) {
    long double sr = 0, si = 0;
    for (size_t j = 0; j < total; ++j) {
      // Phase = sum over dimensions of j_d * k_d / n_d.
      long double phase = 0;
      size_t jr = j, kr = k;
      for (int n : dims) {
        phase += (long double)(jr % n) * (kr % n) / n;
        jr /= n;
        kr /= n;
      }
      long double angle = sign * 2 * 3.141592653589793238462643383279L * phase;
      long double c = cosl(angle), s = sinl(angle);
      sr += x.re[j] * c - x.im[j] * s;
      si += x.re[j] * s + x.im[j] * c;
    }
    y.re[k] = (double)sr;
    y.im[k] = (double)si;
  }
  return y;
}

void ExpectClose(const Complex& got, const Complex& want, double tolerance) {
  ASSERT_EQ(got.re.size(), want.re.size());
  for (size_t k = 0; k < got.re.size(); ++k) {
    ASSERT_NEAR(got.re[k], want.re[k], tolerance) << "real part of bin " << k;
    ASSERT_NEAR(got.im[k], want.im[k], tolerance) << "imaginary part of bin " << k;
  }
}

int Transform(Complex& x, std::vector<int> dims, int sign, double scaling = 0) {
  return fftn(static_cast<int>(dims.size()), dims.data(), x.re.data(), x.im.data(), sign, scaling);
}

}  // namespace

TEST(Fft, MatchesDirectSumForManyLengthsAndBothSigns) {
  // 64 and 960 are the lengths in use; the others reach the radix-3 and
  // radix-5 butterflies, the general odd one (7, 11, 49) and odd squares.
  for (int n : {1, 2, 3, 4, 5, 7, 11, 12, 16, 25, 27, 32, 48, 49, 64, 210, 960}) {
    for (int sign : {+1, -1}) {
      SCOPED_TRACE("n = " + std::to_string(n) + ", sign " + std::to_string(sign));
      Complex x = TestSignal(n, n);
      Complex want = DirectDft(x, {n}, sign);
      ASSERT_EQ(Transform(x, {n}, sign), 0);
      ExpectClose(x, want, 1e-12 * n);
    }
  }
}

TEST(Fft, TransformsSeveralDimensions) {
  Complex x = TestSignal(4 * 3 * 5, 7);
  Complex want = DirectDft(x, {4, 3, 5}, +1);
  ASSERT_EQ(Transform(x, {4, 3, 5}, +1), 0);
  ExpectClose(x, want, 1e-12);
  // The zero-terminated form of the lengths gives the same.
  Complex y = TestSignal(4 * 3 * 5, 7);
  int dims[] = {4, 3, 5, 0};
  ASSERT_EQ(fftn(0, dims, y.re.data(), y.im.data(), +1, 0), 0);
  ExpectClose(y, want, 1e-12);
}

TEST(Fft, IncrementAboveOneSkipsTheElementsBetween) {
  const int n = 12;
  Complex dense = TestSignal(n, 3);
  Complex want = DirectDft(dense, {n}, -1);
  Complex strided{std::vector<double>(2 * n, 99.0), std::vector<double>(2 * n, 99.0)};
  for (int j = 0; j < n; ++j) {
    strided.re[2 * j] = dense.re[j];
    strided.im[2 * j] = dense.im[j];
  }
  ASSERT_EQ(fftn(1, &n, strided.re.data(), strided.im.data(), -2, 0), 0);
  for (int k = 0; k < n; ++k) {
    EXPECT_NEAR(strided.re[2 * k], want.re[k], 1e-12);
    EXPECT_NEAR(strided.im[2 * k], want.im[k], 1e-12);
    EXPECT_EQ(strided.re[2 * k + 1], 99.0);
    EXPECT_EQ(strided.im[2 * k + 1], 99.0);
  }
}

TEST(Fft, ImpulseAndConstant) {
  const int n = 960;
  Complex impulse{std::vector<double>(n, 0.0), std::vector<double>(n, 0.0)};
  impulse.re[0] = 1.0;
  ASSERT_EQ(Transform(impulse, {n}, +1), 0);
  for (int k = 0; k < n; ++k) {
    EXPECT_NEAR(impulse.re[k], 1.0, 1e-13);
    EXPECT_NEAR(impulse.im[k], 0.0, 1e-13);
  }
  Complex constant{std::vector<double>(n, 1.0), std::vector<double>(n, 0.0)};
  ASSERT_EQ(Transform(constant, {n}, +1), 0);
  EXPECT_NEAR(constant.re[0], n, 1e-10);
  for (int k = 1; k < n; ++k) {
    EXPECT_NEAR(constant.re[k], 0.0, 1e-10);
    EXPECT_NEAR(constant.im[k], 0.0, 1e-10);
  }
}

TEST(Fft, FactorsComeInSingletonsOrder) {
  struct Case {
    size_t n;
    std::vector<int> factors;
  } cases[] = {
      {64, {4, 4, 4}},
      {960, {4, 2, 3, 5, 2, 4}},
      {32, {4, 2, 4}},
      {12, {2, 3, 2}},
      {8, {2, 2, 2}},
      {7, {7}},
      {49, {7, 7}},
      {9801, {3, 3, 11, 11, 3, 3}},                          // 3^4 x 11^2: odd squares
      {size_t(1) << 22, {4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4}},  // eleven: the most
      {2 * 3 * 5 * 7 * 11 * 13, {2, 3, 5, 7, 11, 13}},
  };
  for (const Case& c : cases) {
    int factors[11] = {};
    int count = fft_factorise(c.n, factors);
    ASSERT_EQ(count, static_cast<int>(c.factors.size())) << "n = " << c.n;
    EXPECT_EQ(std::vector<int>(factors, factors + count), c.factors) << "n = " << c.n;
  }
  int factors[11];
  EXPECT_EQ(fft_factorise(1, factors), 0);
  EXPECT_EQ(fft_factorise(size_t(1) << 24, factors), -1);  // six 4s, mirrored
  EXPECT_EQ(fft_factorise(size_t(1) << 23, factors), -1);  // 4^5, 2, 2, mirrored
}

TEST(Fft, LongLengthsMatchTheTransformOfAShiftedImpulse) {
  // Beyond the lengths that keep a twiddle table the twiddles are worked out
  // pass by pass; an impulse at j0 must give e^(sign 2 pi i j0 k / n).
  for (int n : {9801, 10240, 30030}) {
    for (int sign : {+1, -1}) {
      SCOPED_TRACE("n = " + std::to_string(n) + ", sign " + std::to_string(sign));
      const int j0 = 3;
      Complex x{std::vector<double>(n, 0.0), std::vector<double>(n, 0.0)};
      x.re[j0] = 1.0;
      ASSERT_EQ(Transform(x, {n}, sign), 0);
      for (int k = 0; k < n; ++k) {
        long double angle = sign * 2 * 3.141592653589793238462643383279L *
                            static_cast<long double>((int64_t(j0) * k) % n) / n;
        ASSERT_NEAR(x.re[k], static_cast<double>(cosl(angle)), 1e-10) << "bin " << k;
        ASSERT_NEAR(x.im[k], static_cast<double>(sinl(angle)), 1e-10) << "bin " << k;
      }
    }
  }
}

TEST(Fft, ScalingDividesEveryElement) {
  const int n = 64;
  Complex x = TestSignal(n, 5);
  Complex want = DirectDft(x, {n}, +1);
  Complex y = x;
  ASSERT_EQ(Transform(x, {n}, +1, -1), 0);  // negative: by the element count
  ASSERT_EQ(Transform(y, {n}, +1, 4.0), 0);
  for (int k = 0; k < n; ++k) {
    EXPECT_NEAR(x.re[k], want.re[k] / n, 1e-13);
    EXPECT_NEAR(x.im[k], want.im[k] / n, 1e-13);
    EXPECT_NEAR(y.re[k], want.re[k] / 4, 1e-13);
  }
  // With an increment of 2 every element is scaled, up to the last one at
  // 2 (n - 1); the places between stay as they were.
  Complex dense = TestSignal(12, 9);
  Complex wantDense = DirectDft(dense, {12}, +1);
  Complex strided{std::vector<double>(24, 7.0), std::vector<double>(24, 7.0)};
  for (int j = 0; j < 12; ++j) {
    strided.re[2 * j] = dense.re[j];
    strided.im[2 * j] = dense.im[j];
  }
  const int twelve = 12;
  ASSERT_EQ(fftn(1, &twelve, strided.re.data(), strided.im.data(), 2, -1), 0);
  for (int k = 0; k < 12; ++k) {
    EXPECT_NEAR(strided.re[2 * k], wantDense.re[k] / 12, 1e-13);
    EXPECT_NEAR(strided.im[2 * k], wantDense.im[k] / 12, 1e-13);
    EXPECT_EQ(strided.re[2 * k + 1], 7.0);
  }
  // The most negative increment is a valid one for a single element.
  double re = 3.0, im = -5.0;
  const int one = 1;
  ASSERT_EQ(fftn(1, &one, &re, &im, INT_MIN, 2.0), 0);
  EXPECT_EQ(re, 1.5);
  EXPECT_EQ(im, -2.5);
}

TEST(Fft, ShortLengthsChangeNothing) {
  double re[2] = {3.0, 4.0}, im[2] = {5.0, 6.0};
  EXPECT_EQ(fftradix(re, im, 2, 0, 1, 1, 1, 1), 0);
  EXPECT_EQ(fftradix(re, im, 2, 1, 1, 1, 1, 1), 0);
  EXPECT_EQ(re[0], 3.0);
  EXPECT_EQ(im[1], 6.0);
}

TEST(Fft, FailuresWriteOneLineAndReturnMinusOne) {
  std::vector<double> re(8), im(8);
  int dims[] = {8, 0};
  testing::internal::CaptureStderr();
  EXPECT_EQ(fftn(2, dims, re.data(), im.data(), 1, 0), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: fftn() - dimension error\n");

  int negative[] = {8, -2, 0};
  testing::internal::CaptureStderr();
  EXPECT_EQ(fftn(0, negative, re.data(), im.data(), 1, 0), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: fftn() - dimension error\n");

  // 2^24 = 16^6 needs six 4s mirrored: twelve factors. The factorisation
  // fails before any element is touched.
  testing::internal::CaptureStderr();
  EXPECT_EQ(
      fftradix(re.data(), im.data(), size_t(1) << 24, size_t(1) << 24, size_t(1) << 24, 1, 8, 8),
      -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Error: fftradix() - exceeded number of factors\n");

  // A general odd factor larger than the work memory.
  fft_release_scratch();
  testing::internal::CaptureStderr();
  EXPECT_EQ(fftradix(re.data(), im.data(), 7, 7, 7, 1, 3, 7), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: fftradix() - insufficient memory.\n");
}

TEST(Fft, WorksAgainAfterReleasingItsMemory) {
  for (int round = 0; round < 3; ++round) {
    Complex x = TestSignal(960, 11);
    Complex want = DirectDft(x, {960}, +1);
    fft_release_scratch();
    ASSERT_EQ(Transform(x, {960}, +1), 0);
    ExpectClose(x, want, 1e-9);
    // A shorter length after a longer one reuses the memory.
    Complex y = TestSignal(7, 2);
    Complex wantY = DirectDft(y, {7}, +1);
    ASSERT_EQ(Transform(y, {7}, +1), 0);
    ExpectClose(y, wantY, 1e-12);
  }
}

TEST(Fft, ThreadsKeepTheirOwnWorkMemory) {
  // Two threads transforming different lengths at once, one of them
  // releasing its memory between transforms, both get exact results.
  auto work = [](int n, bool release, int* failures) {
    Complex x = TestSignal(n, 4);
    Complex want = DirectDft(x, {n}, +1);
    for (int round = 0; round < 200; ++round) {
      Complex y = x;
      if (release) fft_release_scratch();
      if (Transform(y, {n}, +1) != 0) ++*failures;
      for (int k = 0; k < n; ++k)
        if (std::abs(y.re[k] - want.re[k]) > 1e-9 || std::abs(y.im[k] - want.im[k]) > 1e-9)
          ++*failures;
    }
  };
  int failuresA = 0, failuresB = 0;
  std::thread a(work, 960, false, &failuresA);
  std::thread b(work, 77, true, &failuresB);
  a.join();
  b.join();
  EXPECT_EQ(failuresA, 0);
  EXPECT_EQ(failuresB, 0);
}
