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

#include "platform/thread_object.h"

namespace {

constexpr int kMaxFactors = 11;

constexpr double kSin60 = 0.8660254037844386;
constexpr double kSin72 = 0.9510565162951535;
constexpr double kCos72 = 0.3090169943749474;
constexpr double kPi = 3.141592653589793;

// Lengths up to this one keep their twiddle factors in a table (at most 4
// doubles per element); longer ones work them out pass by pass.
constexpr size_t kTwiddleTableLength = 8192;

// Work memory kept between calls on one thread.
struct FftScratch {
  size_t scratchBytes = 0;     // bytes held by each of the four double arrays
  size_t permEntries = 0;      // entries held by the permutation array
  double* cosTable = nullptr;  // cos(2 pi j / k) of the general butterfly
  double* sinTable = nullptr;  // sin(2 pi j / k), signed by the direction
  double* workRe = nullptr;    // inputs of the general butterfly
  double* workIm = nullptr;
  // The permutation of the last length, as a list of cycles (see permute()).
  int32_t* perm = nullptr;
  size_t permLength = 0;    // the length it was built for, 0 for none
  size_t cycleEntries = 0;  // entries of perm in use by the cycle list
  // Twiddle factors of every pass for one length and direction.
  double* twiddles = nullptr;
  size_t twiddleCapacity = 0;  // doubles held
  size_t twiddleLength = 0;    // the length they were built for, 0 for none
  int twiddleSign = 0;
  int factors[kMaxFactors] = {};

  void release() {
    std::free(cosTable);
    std::free(sinTable);
    std::free(workRe);
    std::free(workIm);
    std::free(perm);
    std::free(twiddles);
    cosTable = sinTable = workRe = workIm = twiddles = nullptr;
    perm = nullptr;
    scratchBytes = permEntries = permLength = cycleEntries = 0;
    twiddleCapacity = twiddleLength = 0;
    twiddleSign = 0;
  }
  ~FftScratch() { release(); }
};

// The calling thread's scratch memory (see platform/thread_object.h).
FftScratch& threadScratch() {
  return ThreadObject<FftScratch>();
}

int fail(const char* message) {
  std::fputs(message, stderr);
  fft_release_scratch();
  return -1;
}

// |iSign| without overflow for the most negative int.
size_t increment(int iSign) {
  return iSign < 0 ? static_cast<size_t>(-static_cast<int64_t>(iSign)) : static_cast<size_t>(iSign);
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

// A view of one sequence of the array: element j at index j * step.
struct StridedSequence {
  double* re;
  double* im;
  size_t step;
  double& r(size_t j) const { return re[j * step]; }
  double& i(size_t j) const { return im[j * step]; }
};

// The same for consecutive elements, the common case.
struct UnitSequence {
  double* re;
  double* im;
  double& r(size_t j) const { return re[j]; }
  double& i(size_t j) const { return im[j]; }
};

// Multiplies element j by the complex number (c, s).
template <class Seq>
inline void rotate(const Seq& x, size_t j, double c, double s) {
  double a = x.r(j), b = x.i(j);
  x.r(j) = a * c - b * s;
  x.i(j) = a * s + b * c;
}

// The twiddle w = (c1, s1) and its powers w^2 .. w^(p-1), by repeated
// multiplication: out[2(q-1)], out[2(q-1)+1] = w^q. The same arithmetic
// serves the table and the pass-by-pass work.
inline void twiddlePowers(int p, double c1, double s1, double* out) {
  double c = c1, s = s1;
  for (int q = 1; q < p; ++q) {
    out[2 * (q - 1)] = c;
    out[2 * (q - 1) + 1] = s;
    double nc = c * c1 - s * s1;
    s = c * s1 + s * c1;
    c = nc;
  }
}

// Multiplies the outputs 1 .. p-1 of a butterfly (elements first + q * m) by
// the powers w^q of the twiddle w = (c1, s1).
template <class Seq>
inline void twiddle(const Seq& x, size_t first, size_t m, int p, double c1, double s1) {
  double c = c1, s = s1;
  for (int q = 1; q < p; ++q) {
    rotate(x, first + q * m, c, s);
    double nc = c * c1 - s * s1;
    s = c * s1 + s * c1;
    c = nc;
  }
}

// The same from powers worked out before (see twiddlePowers()).
template <class Seq>
inline void twiddleFromTable(const Seq& x, size_t first, size_t m, int p, const double* w) {
  for (int q = 1; q < p; ++q) rotate(x, first + q * m, w[2 * (q - 1)], w[2 * (q - 1) + 1]);
}

// Singleton's recurrence for the twiddle e^(i theta j1), theta = 2 pi / span:
// it starts at j1 = 1 from (1 - cd, sd) and is pulled back onto the unit
// circle at every step.
struct TwiddleRecurrence {
  double cd = 0.0, sd = 0.0, u = 1.0, v = 0.0;
  TwiddleRecurrence() = default;
  TwiddleRecurrence(double pi, size_t span) {
    const double theta = 2.0 * pi / static_cast<double>(span);
    const double half = std::sin(theta / 2.0);
    cd = 2.0 * half * half;
    sd = std::sin(theta);
  }
  // From the twiddle of j1 to that of j1 + 1.
  void advance(size_t j1) {
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
};

// Doubles of the twiddle table of length n: for every pass with factor p
// and m = span / p, the powers 1 .. p-1 of the twiddles j1 = 1 .. m-1.
size_t twiddleTableSize(size_t n, const int* factors, int count) {
  size_t size = 0, span = n;
  for (int f = 0; f < count; ++f) {
    const size_t p = static_cast<size_t>(factors[f]), m = span / p;
    size += 2 * (m - 1) * (p - 1);
    span = m;
  }
  return size;
}

void buildTwiddleTable(size_t n, const int* factors, int count, double pi, double* table) {
  size_t span = n;
  for (int f = 0; f < count; ++f) {
    const int p = factors[f];
    const size_t m = span / static_cast<size_t>(p);
    TwiddleRecurrence w(pi, span);
    for (size_t j1 = 0; j1 < m; ++j1) {
      if (j1 != 0) {
        twiddlePowers(p, w.u, w.v, table);
        table += 2 * static_cast<size_t>(p - 1);
      }
      w.advance(j1);
    }
    span = m;
  }
}

template <class Seq>
inline void butterfly2(const Seq& x, size_t k0, size_t m) {
  size_t k1 = k0 + m;
  double ar = x.r(k0), ai = x.i(k0), br = x.r(k1), bi = x.i(k1);
  x.r(k0) = ar + br;
  x.i(k0) = ai + bi;
  x.r(k1) = ar - br;
  x.i(k1) = ai - bi;
}

template <class Seq>
inline void butterfly3(const Seq& x, size_t k0, size_t m, double s60) {
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
template <class Seq>
inline void butterfly4(const Seq& x, size_t k0, size_t m, double sign) {
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
template <class Seq>
inline void butterfly5(const Seq& x, size_t k0, size_t m, double s72) {
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
template <class Seq>
void butterflyOdd(const Seq& x, size_t k0, size_t m, int p, const FftScratch& s) {
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

// The constants of one call.
struct Direction {
  double sign;  // +1 or -1
  double s60, s72, pi;
};

// One pass with factor P (0: the general odd factor p) over a sequence of
// length n whose current span is `span`: a butterfly for every j1 and block,
// then the twiddles, from the table when there is one.
template <int P, class Seq>
void pass(const Seq& x, size_t n, size_t span, int p, const Direction& d, const FftScratch& s,
          const double* table) {
  const size_t m = span / static_cast<size_t>(p);
  TwiddleRecurrence w = table != nullptr ? TwiddleRecurrence() : TwiddleRecurrence(d.pi, span);
  for (size_t j1 = 0; j1 < m; ++j1) {
    for (size_t k0 = j1; k0 < n; k0 += span) {
      if constexpr (P == 2)
        butterfly2(x, k0, m);
      else if constexpr (P == 3)
        butterfly3(x, k0, m, d.s60);
      else if constexpr (P == 4)
        butterfly4(x, k0, m, d.sign);
      else if constexpr (P == 5)
        butterfly5(x, k0, m, d.s72);
      else
        butterflyOdd(x, k0, m, p, s);
      if (j1 != 0) {
        if (table != nullptr)
          twiddleFromTable(x, k0, m, P != 0 ? P : p, table);
        else
          twiddle(x, k0, m, P != 0 ? P : p, w.u, w.v);
      }
    }
    if (table != nullptr && j1 != 0) table += 2 * static_cast<size_t>(p - 1);
    if (table == nullptr) w.advance(j1);
  }
}

// Builds the permutation of length n as a list of cycles in perm, which
// holds at least 3n entries; returns the entries used. First the target
// position of every frequency k: its mixed-radix digits (first pass least
// significant) read in reverse. Each cycle k0, k1, ... is then stored as its
// length followed by its members, k_i+1 being where the value for k_i lies.
size_t buildPermutation(size_t n, const int* factors, int count, int32_t* perm) {
  size_t weight[kMaxFactors];  // position weight of each pass's digit
  int digit[kMaxFactors] = {};
  size_t w = n;
  for (int i = 0; i < count; ++i) {
    w /= static_cast<size_t>(factors[i]);
    weight[i] = w;
  }
  int32_t* target = perm + 2 * n;  // the last n entries
  size_t pos = 0;
  for (size_t k = 0; k < n; ++k) {
    target[k] = static_cast<int32_t>(pos);
    // Increment k's digits, least significant (first pass) first.
    for (int i = 0; i < count; ++i) {
      pos += weight[i];
      if (++digit[i] < factors[i]) break;
      digit[i] = 0;
      pos -= static_cast<size_t>(factors[i]) * weight[i];
    }
  }
  // Cycles of length 2 or more take at most 3n/2 entries, written below
  // the targets; visited targets are complemented.
  size_t used = 0;
  for (size_t k = 0; k < n; ++k) {
    if (target[k] < 0 || static_cast<size_t>(target[k]) == k) continue;
    const size_t lengthAt = used++;
    size_t j = k;
    do {
      perm[used++] = static_cast<int32_t>(j);
      size_t next = static_cast<size_t>(target[j]);
      target[j] = ~target[j];
      j = next;
    } while (j != k);
    perm[lengthAt] = static_cast<int32_t>(used - lengthAt - 1);
  }
  return used;
}

// Moves every element to its natural place along the cycles.
template <class Seq>
void permute(const Seq& x, const int32_t* cycles, size_t entries) {
  for (size_t at = 0; at < entries;) {
    const size_t length = static_cast<size_t>(cycles[at++]);
    const int32_t* member = cycles + at;
    size_t first = static_cast<size_t>(member[0]);
    double tr = x.r(first), ti = x.i(first);
    for (size_t i = 0; i + 1 < length; ++i) {
      size_t to = static_cast<size_t>(member[i]), from = static_cast<size_t>(member[i + 1]);
      x.r(to) = x.r(from);
      x.i(to) = x.i(from);
    }
    size_t last = static_cast<size_t>(member[length - 1]);
    x.r(last) = tr;
    x.i(last) = ti;
    at += length;
  }
}

// All passes and the permutation of one sequence.
template <class Seq>
void transformSequence(const Seq& x, size_t n, int count, const Direction& d, FftScratch& s,
                       int& tableFactor, const double* table) {
  size_t span = n;
  for (int f = 0; f < count; ++f) {
    const int p = s.factors[f];
    switch (p) {
      case 2:
        pass<2>(x, n, span, p, d, s, table);
        break;
      case 3:
        pass<3>(x, n, span, p, d, s, table);
        break;
      case 4:
        pass<4>(x, n, span, p, d, s, table);
        break;
      case 5:
        pass<5>(x, n, span, p, d, s, table);
        break;
      default:
        if (p != tableFactor) {
          for (int j = 0; j < p; ++j) {
            double angle = 2.0 * d.pi * j / p;
            s.cosTable[j] = std::cos(angle);
            s.sinTable[j] = std::sin(angle);
          }
          tableFactor = p;
        }
        pass<0>(x, n, span, p, d, s, table);
        break;
    }
    const size_t m = span / static_cast<size_t>(p);
    if (table != nullptr) table += 2 * (m - 1) * static_cast<size_t>(p - 1);
    span = m;
  }
  permute(x, s.perm, s.cycleEntries);
}

}  // namespace

void fft_release_scratch() {
  threadScratch().release();
}

int fft_factorise(size_t n, int factors[kMaxFactors]) {
  return n < 2 ? 0 : factorise(n, factors);
}

int fftn(int ndim, const int dims[], double re[], double im[], int iSign, double scaling) {
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
    int result =
        fftradix(re, im, total, static_cast<size_t>(dims[i]), span, iSign, largest, largest);
    if (result != 0) return result;
  }
  // Every element is scaled: with an increment above 1 the elements lie
  // that many places apart, all the way to the last one.
  if (scaling != 0.0 && scaling != 1.0) {
    if (scaling < 0.0) scaling = static_cast<double>(total);
    double factor = 1.0 / scaling;
    size_t inc = increment(iSign);
    for (size_t j = 0; j < total; ++j) {
      re[j * inc] *= factor;
      im[j * inc] *= factor;
    }
  }
  return 0;
}

int fftradix(double re[], double im[], size_t nTotal, size_t n, size_t nSpan, int iSign,
             int maxFactors, int maxPerm) {
  if (n < 2) return 0;
  FftScratch& s = threadScratch();

  // The factors first: a length with too many of them fails before any
  // memory is taken for it.
  int count = factorise(n, s.factors);
  if (count < 0) return fail("Error: fftradix() - exceeded number of factors\n");

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
  // The permutation needs three entries per element of the dimension (the
  // positions while its cycles are found, then the cycles).
  size_t permBound = maxPerm > 0 ? static_cast<size_t>(maxPerm) : 0;
  if (permBound < n) permBound = n;
  if (permBound > static_cast<size_t>(INT32_MAX))
    return fail("Error: fftradix() - insufficient memory.\n");
  if (s.permEntries < 3 * permBound) {
    s.permEntries = 3 * permBound;
    s.permLength = 0;
    growArray(s.perm, s.permEntries * sizeof(int32_t));
  }
  if (s.cosTable == nullptr || s.sinTable == nullptr || s.workRe == nullptr ||
      s.workIm == nullptr || s.perm == nullptr)
    return fail("Error: fftradix() - insufficient memory.\n");
  for (int f = 0; f < count; ++f) {
    int p = s.factors[f];
    if (p > 5 && static_cast<size_t>(p) > scratchBound)
      return fail("Error: fftradix() - insufficient memory.\n");
  }
  if (s.permLength != n) {
    s.cycleEntries = buildPermutation(n, s.factors, count, s.perm);
    s.permLength = n;
  }

  Direction d;
  d.sign = iSign < 0 ? -1.0 : 1.0;
  d.s60 = d.sign * kSin60;
  d.s72 = d.sign * kSin72;
  d.pi = d.sign * kPi;
  const size_t inc = increment(iSign);

  // Twiddle table for short lengths; without memory for it the twiddles are
  // worked out pass by pass, to the same values.
  const double* table = nullptr;
  if (n <= kTwiddleTableLength) {
    const int sign = iSign < 0 ? -1 : 1;
    if (s.twiddleLength != n || s.twiddleSign != sign) {
      s.twiddleLength = 0;
      size_t size = twiddleTableSize(n, s.factors, count);
      if (s.twiddleCapacity < size) {
        growArray(s.twiddles, size * sizeof(double));
        s.twiddleCapacity = s.twiddles != nullptr ? size : 0;
      }
      if (s.twiddles != nullptr) {
        buildTwiddleTable(n, s.factors, count, d.pi, s.twiddles);
        s.twiddleLength = n;
        s.twiddleSign = sign;
      }
    }
    if (s.twiddleLength == n) table = s.twiddles;
  }

  const size_t stride = nSpan / n;  // elements between entries of this dimension
  int tableFactor = 0;              // the general factor the tables hold
  for (size_t outer = 0; outer < nTotal; outer += nSpan) {
    for (size_t inner = 0; inner < stride; ++inner) {
      double* r = re + (outer + inner) * inc;
      double* i = im + (outer + inner) * inc;
      if (stride * inc == 1)
        transformSequence(UnitSequence{r, i}, n, count, d, s, tableFactor, table);
      else
        transformSequence(StridedSequence{r, i, stride * inc}, n, count, d, s, tableFactor, table);
    }
  }
  return 0;
}
