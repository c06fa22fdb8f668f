// Mixed-radix FFT: factorisation, butterflies, twiddle recurrence and the
// final in-place permutation. See fft.h for the interface.
//
// Each dimension is transformed by decimation in frequency: a pass with
// factor p splits the current span into p interleaved sub-sequences, runs a
// p-point butterfly across them and rotates the outputs by the twiddle
// factors; the span then shrinks by p. After the last pass the element for
// frequency k sits at the position whose mixed-radix digits are those of k
// reversed, and a cycle-following permutation puts every element in place.
#include "engine/fft.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kMaxFactors = 11;

constexpr double kSin60 = 0.8660254037844386;
constexpr double kSin72 = 0.9510565162951535;
constexpr double kCos72 = 0.3090169943749474;
constexpr double kPi = 3.141592653589793;

// Work memory kept between calls on one thread.
struct FftScratch {
  size_t scratchBytes = 0;   // bytes held by each of the four double arrays
  size_t permEntries = 0;    // entries held by the permutation array
  double* cosTable = nullptr;  // cos(2 pi j / k) of the general butterfly
  double* sinTable = nullptr;  // sin(2 pi j / k), signed by the direction
  double* workRe = nullptr;    // inputs of the general butterfly
  double* workIm = nullptr;
  int32_t* perm = nullptr;     // perm[k]: where frequency k lies after the passes
  size_t permLength = 0;       // the length perm was built for, 0 for none
  int factors[kMaxFactors] = {};

  void release() {
    std::free(cosTable);
    std::free(sinTable);
    std::free(workRe);
    std::free(workIm);
    std::free(perm);
    cosTable = sinTable = workRe = workIm = nullptr;
    perm = nullptr;
    scratchBytes = permEntries = permLength = 0;
  }
  ~FftScratch() { release(); }
};

thread_local FftScratch tScratch;

int fail(const char* message) {
  std::fputs(message, stderr);
  fft_release_scratch();
  return -1;
}

// Grows one work array to `bytes`; on failure the array is freed and null.
template <typename T>
void growArray(T*& array, size_t bytes) {
  void* grown = std::realloc(array, bytes);
  if (grown == nullptr) std::free(array);
  array = static_cast<T*>(grown);
}

// Splits n into the pass factors: square factors first and mirrored at the
// end, the rest in the middle. Returns the count, or -1 for more than 11.
int factorise(size_t n, int factors[kMaxFactors]) {
  int count = 0;
  bool overflow = false;
  auto record = [&](size_t f) {
    if (count < kMaxFactors)
      factors[count++] = static_cast<int>(f);
    else
      overflow = true;
  };
  size_t rest = n;
  while (rest % 16 == 0) {
    record(4);
    rest /= 16;
  }
  for (size_t j = 3; j * j <= rest; j += 2) {
    while (rest % (j * j) == 0) {
      record(j);
      rest /= j * j;
    }
  }
  int squares;
  if (rest <= 4) {
    squares = count;
    if (rest != 1) record(rest);
  } else {
    if (rest % 4 == 0) {
      record(2);
      rest /= 4;
    }
    squares = count;
    for (size_t j = 2; j <= rest; j = (j == 2) ? 3 : j + 2) {
      if (rest % j == 0) {
        record(j);
        rest /= j;
      }
    }
  }
  for (int i = squares - 1; i >= 0; --i) record(static_cast<size_t>(factors[i]));
  return overflow ? -1 : count;
}

// A view of one sequence of the array: element j at index base + j * step.
struct Sequence {
  double* re;
  double* im;
  size_t step;
  double& r(size_t j) const { return re[j * step]; }
  double& i(size_t j) const { return im[j * step]; }
};

// Multiplies element j by the complex number (c, s).
inline void rotate(const Sequence& x, size_t j, double c, double s) {
  double a = x.r(j), b = x.i(j);
  x.r(j) = a * c - b * s;
  x.i(j) = a * s + b * c;
}

// Multiplies the outputs 1 .. p-1 of a butterfly (elements first + q * m) by
// the powers w^q of the twiddle w = (c1, s1).
inline void twiddle(const Sequence& x, size_t first, size_t m, int p, double c1,
                    double s1) {
  double c = c1, s = s1;
  for (int q = 1; q < p; ++q) {
    rotate(x, first + q * m, c, s);
    double nc = c * c1 - s * s1;
    s = c * s1 + s * c1;
    c = nc;
  }
}

void butterfly2(const Sequence& x, size_t k0, size_t m) {
  size_t k1 = k0 + m;
  double ar = x.r(k0), ai = x.i(k0), br = x.r(k1), bi = x.i(k1);
  x.r(k0) = ar + br;
  x.i(k0) = ai + bi;
  x.r(k1) = ar - br;
  x.i(k1) = ai - bi;
}

void butterfly3(const Sequence& x, size_t k0, size_t m, double s60) {
  size_t k1 = k0 + m, k2 = k1 + m;
  double sr = x.r(k1) + x.r(k2), si = x.i(k1) + x.i(k2);
  double dr = x.r(k1) - x.r(k2), di = x.i(k1) - x.i(k2);
  double tr = x.r(k0) - 0.5 * sr, ti = x.i(k0) - 0.5 * si;
  x.r(k0) += sr;
  x.i(k0) += si;
  x.r(k1) = tr - s60 * di;
  x.i(k1) = ti + s60 * dr;
  x.r(k2) = tr + s60 * di;
  x.i(k2) = ti - s60 * dr;
}

// sign is +1 or -1: multiplication by i * sign.
void butterfly4(const Sequence& x, size_t k0, size_t m, double sign) {
  size_t k1 = k0 + m, k2 = k1 + m, k3 = k2 + m;
  double ar = x.r(k0) + x.r(k2), ai = x.i(k0) + x.i(k2);
  double br = x.r(k0) - x.r(k2), bi = x.i(k0) - x.i(k2);
  double cr = x.r(k1) + x.r(k3), ci = x.i(k1) + x.i(k3);
  double dr = sign * (x.r(k1) - x.r(k3)), di = sign * (x.i(k1) - x.i(k3));
  x.r(k0) = ar + cr;
  x.i(k0) = ai + ci;
  x.r(k2) = ar - cr;
  x.i(k2) = ai - ci;
  x.r(k1) = br - di;
  x.i(k1) = bi + dr;
  x.r(k3) = br + di;
  x.i(k3) = bi - dr;
}

// s72 carries the direction's sign; cos 144 and sin 144 follow from 72.
void butterfly5(const Sequence& x, size_t k0, size_t m, double s72) {
  const double c72 = kCos72;
  const double c2 = c72 * c72 - s72 * s72;  // cos 144
  const double s2 = 2.0 * c72 * s72;        // sin 144, signed
  size_t k1 = k0 + m, k2 = k1 + m, k3 = k2 + m, k4 = k3 + m;
  double a1r = x.r(k1) + x.r(k4), a1i = x.i(k1) + x.i(k4);
  double b1r = x.r(k1) - x.r(k4), b1i = x.i(k1) - x.i(k4);
  double a2r = x.r(k2) + x.r(k3), a2i = x.i(k2) + x.i(k3);
  double b2r = x.r(k2) - x.r(k3), b2i = x.i(k2) - x.i(k3);
  double x0r = x.r(k0), x0i = x.i(k0);
  double p1r = x0r + c72 * a1r + c2 * a2r, p1i = x0i + c72 * a1i + c2 * a2i;
  double q1r = s72 * b1r + s2 * b2r, q1i = s72 * b1i + s2 * b2i;
  double p2r = x0r + c2 * a1r + c72 * a2r, p2i = x0i + c2 * a1i + c72 * a2i;
  double q2r = s2 * b1r - s72 * b2r, q2i = s2 * b1i - s72 * b2i;
  x.r(k0) = x0r + a1r + a2r;
  x.i(k0) = x0i + a1i + a2i;
  x.r(k1) = p1r - q1i;
  x.i(k1) = p1i + q1r;
  x.r(k4) = p1r + q1i;
  x.i(k4) = p1i - q1r;
  x.r(k2) = p2r - q2i;
  x.i(k2) = p2i + q2r;
  x.r(k3) = p2r + q2i;
  x.i(k3) = p2i - q2r;
}

// Direct p-point transform for any other odd factor, from the tables.
void butterflyOdd(const Sequence& x, size_t k0, size_t m, int p,
                  const FftScratch& s) {
  for (int j = 0; j < p; ++j) {
    s.workRe[j] = x.r(k0 + j * m);
    s.workIm[j] = x.i(k0 + j * m);
  }
  for (int k = 0; k < p; ++k) {
    double sr = 0.0, si = 0.0;
    int jk = 0;
    for (int j = 0; j < p; ++j) {
      double c = s.cosTable[jk], sn = s.sinTable[jk];
      sr += s.workRe[j] * c - s.workIm[j] * sn;
      si += s.workRe[j] * sn + s.workIm[j] * c;
      jk += k;
      if (jk >= p) jk -= p;
    }
    x.r(k0 + k * m) = sr;
    x.i(k0 + k * m) = si;
  }
}

// perm[k] = the position that frequency k holds after the passes.
void buildPermutation(size_t n, const int* factors, int count, int32_t* perm) {
  size_t weight[kMaxFactors];  // position weight of each pass's digit
  int digit[kMaxFactors] = {};
  size_t w = n;
  for (int i = 0; i < count; ++i) {
    w /= static_cast<size_t>(factors[i]);
    weight[i] = w;
  }
  size_t pos = 0;
  for (size_t k = 0; k < n; ++k) {
    perm[k] = static_cast<int32_t>(pos);
    // Increment k's digits, least significant (first pass) first.
    for (int i = 0; i < count; ++i) {
      pos += weight[i];
      if (++digit[i] < factors[i]) break;
      digit[i] = 0;
      pos -= static_cast<size_t>(factors[i]) * weight[i];
    }
  }
}

// Moves every element to its natural place by following the cycles of perm.
// Visited entries are marked by complementing them and restored afterwards.
void permute(const Sequence& x, size_t n, int32_t* perm) {
  for (size_t k = 0; k < n; ++k) {
    if (perm[k] < 0 || static_cast<size_t>(perm[k]) == k) continue;
    double tr = x.r(k), ti = x.i(k);
    size_t j = k;
    for (;;) {
      size_t src = static_cast<size_t>(perm[j]);
      perm[j] = ~perm[j];
      if (src == k) {
        x.r(j) = tr;
        x.i(j) = ti;
        break;
      }
      x.r(j) = x.r(src);
      x.i(j) = x.i(src);
      j = src;
    }
  }
  for (size_t k = 0; k < n; ++k)
    if (perm[k] < 0) perm[k] = ~perm[k];
}

}  // namespace

void fft_release_scratch() { tScratch.release(); }

int fftn(int ndim, const int dims[], double re[], double im[], int iSign,
         double scaling) {
  if (ndim == 0 || dims[0] == 0) {
    ndim = 0;
    while (dims[ndim] != 0) {
      if (dims[ndim] < 0) return fail("Error: fftn() - dimension error\n");
      ++ndim;
    }
  }
  size_t total = 1;
  int largest = 1;
  for (int i = 0; i < ndim; ++i) {
    if (dims[i] <= 0) return fail("Error: fftn() - dimension error\n");
    total *= static_cast<size_t>(dims[i]);
    if (dims[i] > largest) largest = dims[i];
  }
  size_t span = 1;
  for (int i = 0; i < ndim; ++i) {
    span *= static_cast<size_t>(dims[i]);
    int result = fftradix(re, im, total, static_cast<size_t>(dims[i]), span,
                          iSign, largest, largest);
    if (result != 0) return result;
  }
  if (scaling != 0.0 && scaling != 1.0) {
    if (scaling < 0.0) scaling = static_cast<double>(total);
    double factor = 1.0 / scaling;
    size_t inc = static_cast<size_t>(std::abs(iSign));
    for (size_t j = 0; j < total; ++j) {
      re[j * inc] *= factor;
      im[j * inc] *= factor;
    }
  }
  return 0;
}

int fftradix(double re[], double im[], size_t nTotal, size_t n, size_t nSpan,
             int iSign, int maxFactors, int maxPerm) {
  if (n < 2) return 0;
  FftScratch& s = tScratch;

  // Work memory: grown to the bounds, never shrunk; the bounds rise to what
  // is already held.
  size_t scratchBound = maxFactors > 0 ? static_cast<size_t>(maxFactors) : 0;
  if (s.scratchBytes < 8 * scratchBound) {
    s.scratchBytes = 8 * scratchBound;
    growArray(s.cosTable, s.scratchBytes);
    growArray(s.sinTable, s.scratchBytes);
    growArray(s.workRe, s.scratchBytes);
    growArray(s.workIm, s.scratchBytes);
  } else {
    scratchBound = s.scratchBytes / 8;
  }
  // The permutation needs one entry per element of the dimension.
  size_t permBound = maxPerm > 0 ? static_cast<size_t>(maxPerm) : 0;
  if (permBound < n) permBound = n;
  if (s.permEntries < permBound) {
    s.permEntries = permBound;
    s.permLength = 0;
    growArray(s.perm, permBound * sizeof(int32_t));
  }
  if (s.cosTable == nullptr || s.sinTable == nullptr || s.workRe == nullptr ||
      s.workIm == nullptr || s.perm == nullptr)
    return fail("Error: fftradix() - insufficient memory.\n");

  const double direction = iSign < 0 ? -1.0 : 1.0;
  const double s60 = direction * kSin60;
  const double s72 = direction * kSin72;
  const double pi = direction * kPi;
  const size_t inc = static_cast<size_t>(std::abs(iSign));

  int count = factorise(n, s.factors);
  if (count < 0) return fail("Error: fftradix() - exceeded number of factors\n");
  for (int f = 0; f < count; ++f) {
    int p = s.factors[f];
    if (p > 5 && static_cast<size_t>(p) > scratchBound)
      return fail("Error: fftradix() - insufficient memory.\n");
  }
  if (s.permLength != n) {
    buildPermutation(n, s.factors, count, s.perm);
    s.permLength = n;
  }

  const size_t stride = nSpan / n;  // elements between entries of this dimension
  int tableFactor = 0;              // the general factor the tables hold
  for (size_t outer = 0; outer < nTotal; outer += nSpan) {
    for (size_t inner = 0; inner < stride; ++inner) {
      Sequence x{re + (outer + inner) * inc, im + (outer + inner) * inc,
                 stride * inc};
      size_t span = n;
      for (int f = 0; f < count; ++f) {
        const int p = s.factors[f];
        const size_t m = span / static_cast<size_t>(p);
        if (p > 5 && p != tableFactor) {
          for (int j = 0; j < p; ++j) {
            double angle = 2.0 * pi * j / p;
            s.cosTable[j] = std::cos(angle);
            s.sinTable[j] = std::sin(angle);
          }
          tableFactor = p;
        }
        // Twiddle recurrence: w = e^(i theta j1), theta = 2 pi / span.
        const double theta = 2.0 * pi / static_cast<double>(span);
        const double half = std::sin(theta / 2.0);
        const double cd = 2.0 * half * half;
        const double sd = std::sin(theta);
        double u = 1.0, v = 0.0;
        for (size_t j1 = 0; j1 < m; ++j1) {
          for (size_t block = 0; block < n; block += span) {
            size_t k0 = block + j1;
            switch (p) {
              case 2: butterfly2(x, k0, m); break;
              case 3: butterfly3(x, k0, m, s60); break;
              case 4: butterfly4(x, k0, m, direction); break;
              case 5: butterfly5(x, k0, m, s72); break;
              default: butterflyOdd(x, k0, m, p, s); break;
            }
            if (j1 != 0) twiddle(x, k0, m, p, u, v);
          }
          if (j1 == 0) {
            u = 1.0 - cd;
            v = sd;
          } else {
            double nu = u - (cd * u + sd * v);
            double nv = v + (sd * u - cd * v);
            double unit = 2.0 - (nu * nu + nv * nv);
            u = nu * unit;
            v = nv * unit;
          }
        }
        span = m;
      }
      permute(x, n, s.perm);
    }
  }
  return 0;
}
