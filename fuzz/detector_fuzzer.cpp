// detector_fuzzer: the tempo detector and the FFT under arbitrary input.
//
// The first byte chooses the target: even for the detector, odd for the FFT.
//
// Detector: the rest is a list of operations on one TempoDetector, then
// EstimateTempo() twice. Each operation starts with a byte whose low two
// bits say what it is:
//   0  feed a block: u16 length, then that many bytes of PCM (fewer when the
//      input ends), fed 1 + (op >> 2) times in a row
//   1  set the sampling rate: u32
//   2  set the sample format: u16 channel count, u16 bytes per sample frame
//   3  feed a generated stream: u32 frame count (at most 1.5 million frames
//      and 24 MB in all),
//      block size u16 in frames, then a 16-byte pattern repeated as PCM with
//      a beat every (op >> 2) x 2048 + 4096 frames (loud pattern, then
//      silence), so that the periodicity stage is reached at real rates
// All feeds together stop at 5000 segments (a low rate makes a segment
// of every few frames). Format and rate start at 44100 Hz, 2 channels, 4-byte frames; every value
// is used as it is, whatever it is. The checks: the periodicity spectrum is
// finite and non-negative, and every estimate is NaN or a tempo inside the
// searched bins (never negative, zero or huge).
//
// FFT: the rest is a list of transforms of arrays filled from a seed. Each
// record: flags u8 (bit 0: release the work memory first, bit 1: the
// 0-terminated form of the lengths, bit 2: the most negative increment),
// dimension count u8 (0-3), the lengths as i16 each, iSign i8, scaling
// code u8 (0: none, 1: 1, 2: by the element count, else code / 16), data
// seed u16. Lengths <= 0 must fail with -1; every other transform whose
// element count is at most 16384 (and its span with the increment at most
// 65536), and whose work (elements x the sum of the factors) stays below
// 2^20, runs and is checked against a direct evaluation of the sum (up to
// 256 elements) or transformed back (longer ones).
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/fft.h"
#include "engine/tempo_detector.h"
#include "engine/tempo_estimation.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "detector_fuzzer: %s\n", what);
    std::abort();
  }
}

// Reads little-endian values; past the end everything reads as 0.
struct Reader {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  bool Done() const { return at >= size; }
  uint32_t Bytes(int n) {
    uint32_t value = 0;
    for (int i = 0; i < n; ++i)
      value |= static_cast<uint32_t>(at < size ? data[at++] : 0) << (8 * i);
    return value;
  }
  uint8_t U8() { return static_cast<uint8_t>(Bytes(1)); }
  uint16_t U16() { return static_cast<uint16_t>(Bytes(2)); }
  uint32_t U32() { return Bytes(4); }
};

constexpr uint64_t kMaxGeneratedFrames = 1500000;
constexpr uint64_t kMaxGeneratedBytes = 24u << 20;
constexpr uint64_t kMaxSegments = 5000;

// Low rates make a segment of every few frames; at most kMaxSegments
// segments are fed per input so that every input stays quick. Returns how
// many of `count` units of `framesPerUnit` frames fit, and books them.
uint64_t SegmentBudget(uint64_t count, uint32_t rate, uint64_t& segments,
                       uint64_t framesPerUnit = 1) {
  const uint64_t length = rate >> 4, hop = length - length / 2;
  if (hop == 0 || framesPerUnit == 0) return count;
  const uint64_t left = kMaxSegments - std::min(kMaxSegments, segments);
  const uint64_t fit = std::min(count, left * hop / framesPerUnit);
  segments += fit * framesPerUnit / hop;
  return fit;
}

void FuzzDetector(Reader& in) {
  TempoDetector detector;
  uint32_t rate = 44100, channels = 2, frameBytes = 4;
  uint64_t generated = 0, generatedBytes = 0, segments = 0;
  std::vector<uint8_t> block, loud, silent;
  int operations = 0;
  while (!in.Done() && operations++ < 4096) {
    const uint8_t op = in.U8();
    switch (op & 3) {
      case 0: {
        const size_t length = std::min<size_t>(in.U16(), in.size - in.at);
        const uint8_t* pcm = in.data + in.at;
        in.at += length;
        // A copy of exactly the block, so that any read past it is caught.
        block.assign(pcm, pcm + length);
        const uint64_t repeats = SegmentBudget((op >> 2) + 1u, rate, segments,
                                               frameBytes == 0 ? 0 : length / frameBytes);
        for (uint64_t r = 0; r < repeats; ++r)
          detector.FeedBlock(block.data(), static_cast<uint32_t>(block.size()), rate, frameBytes,
                             channels);
        break;
      }
      case 1:
        rate = in.U32();
        break;
      case 2:
        channels = in.U16();
        frameBytes = in.U16();
        break;
      case 3: {
        uint64_t frames = in.U32();
        const uint32_t blockFrames = std::max<uint32_t>(1, in.U16());
        uint8_t pattern[16];
        for (uint8_t& b : pattern) b = in.U8();
        const uint64_t beat = (op >> 2) * 2048u + 4096u, burst = 512;
        if (frameBytes == 0 || frameBytes > 4096) break;
        frames = std::min({frames, kMaxGeneratedFrames - generated,
                           (kMaxGeneratedBytes - generatedBytes) / frameBytes});
        frames = SegmentBudget(frames, rate, segments);
        generated += frames;
        generatedBytes += frames * frameBytes;
        // Pieces of at most blockFrames frames (and 64 KB), cut at the
        // edges of the bursts, from a loud buffer and a silent one.
        const uint64_t perBlock =
            std::min<uint64_t>(blockFrames, std::max<uint64_t>(1, 65536 / frameBytes));
        loud.resize(perBlock * frameBytes);
        for (size_t b = 0; b < loud.size(); ++b) loud[b] = pattern[b % 16];
        silent.assign(perBlock * frameBytes, 0);
        for (uint64_t at = 0; at < frames;) {
          const uint64_t phase = at % beat;
          const bool isLoud = phase < burst;
          const uint64_t n =
              std::min({perBlock, frames - at, isLoud ? burst - phase : beat - phase});
          detector.FeedBlock(isLoud ? loud.data() : silent.data(),
                             static_cast<uint32_t>(n * frameBytes), rate, frameBytes, channels);
          at += n;
        }
        break;
      }
    }
  }

  double* spectrum = detector.PeriodicitySpectrum();
  for (uint32_t i = 0; i < TempoDetector::kPeriodicityBins; ++i)
    Check(std::isfinite(spectrum[i]) && spectrum[i] >= 0.0,
          "periodicity bin not finite or negative");

  // Bins searched: from 30 / f truncated, widened by the centroid's two bins
  // on each side; f lies between 1 and 31 x 60 / 960.
  const double f = TempoBinWidth(rate);
  for (int call = 0; call < 2; ++call) {
    const double tempo = EstimateTempo(spectrum, rate, 30.0, 240.0);
    if (std::isnan(tempo)) continue;
    Check(std::isfinite(f) && f >= 1.0 && f <= 1.9375, "estimate for a rate without a bin width");
    Check(std::isfinite(tempo), "estimate infinite");
    const double lowest = (std::floor(30.0 / f) - 2) * f, highest = 241 * f;
    Check(tempo >= lowest * (1 - 1e-12) && tempo <= highest * (1 + 1e-12),
          "estimate outside the searched bins");
  }
}

// Direct evaluation of the multi-dimensional sum, first dimension fastest:
// e^(sign 2 pi i sum_d j_d k_d / n_d) as a product of one root of unity
// per dimension, each from a table of that dimension's roots.
void DirectDft(const std::vector<double>& re, const std::vector<double>& im,
               const std::vector<int>& dims, int sign, std::vector<double>& outRe,
               std::vector<double>& outIm) {
  const long double twoPi = 2 * 3.141592653589793238462643383279L;
  std::vector<std::vector<long double>> rootCos, rootSin;
  for (int n : dims) {
    rootCos.emplace_back(n);
    rootSin.emplace_back(n);
    for (int r = 0; r < n; ++r) {
      rootCos.back()[r] = cosl(sign * twoPi * r / n);
      rootSin.back()[r] = sinl(sign * twoPi * r / n);
    }
  }
  const size_t total = re.size();
  outRe.assign(total, 0.0);
  outIm.assign(total, 0.0);
  for (size_t k = 0; k < total; ++k) {
    long double sr = 0, si = 0;
    for (size_t j = 0; j < total; ++j) {
      long double c = 1, s = 0;
      size_t jr = j, kr = k;
      for (size_t d = 0; d < dims.size(); ++d) {
        const size_t n = static_cast<size_t>(dims[d]);
        const size_t r = (jr % n) * (kr % n) % n;
        const long double nc = c * rootCos[d][r] - s * rootSin[d][r];
        s = c * rootSin[d][r] + s * rootCos[d][r];
        c = nc;
        jr /= n;
        kr /= n;
      }
      sr += re[j] * c - im[j] * s;
      si += re[j] * s + im[j] * c;
    }
    outRe[k] = static_cast<double>(sr);
    outIm[k] = static_cast<double>(si);
  }
}

void FuzzFft(Reader& in) {
  fft_release_scratch();
  int records = 0;
  while (!in.Done() && records++ < 16) {
    const uint8_t flags = in.U8();
    const int ndim = in.U8() % 4;
    std::vector<int> dims;
    for (int i = 0; i < ndim; ++i) dims.push_back(static_cast<int16_t>(in.U16()));
    int iSign = static_cast<int8_t>(in.U8());
    const uint8_t scaleCode = in.U8();
    uint32_t seed = in.U16();
    if (flags & 1) fft_release_scratch();
    if (flags & 4) iSign = INT_MIN;
    const double scaling = scaleCode == 0   ? 0.0
                           : scaleCode == 1 ? 1.0
                           : scaleCode == 2 ? -1.0
                                            : scaleCode / 16.0;

    // The lengths as fftn reads them: in the 0-terminated form up to the
    // first 0 (a leading 0 also selects that form).
    std::vector<int> call = dims;
    int callDims = ndim;
    if ((flags & 2) || ndim == 0 || dims[0] == 0) {
      call.push_back(0);
      callDims = 0;
      dims.resize(std::find(dims.begin(), dims.end(), 0) - dims.begin());
    }
    const bool valid = std::all_of(dims.begin(), dims.end(), [](int d) { return d > 0; });
    uint64_t total = 1;
    for (int d : dims) total *= valid ? static_cast<uint64_t>(d) : 1;
    const uint64_t inc = iSign < 0 ? -static_cast<int64_t>(iSign) : iSign;
    if (!valid) {
      double re[1] = {0}, im[1] = {0};
      Check(fftn(callDims, call.data(), re, im, iSign, scaling) == -1, "invalid length accepted");
      continue;
    }
    if (total > 16384 || (total - 1) * inc + 1 > 65536) continue;
    // The general odd butterfly costs p operations per element for a
    // factor p: a long prime length is quadratic. Keep each input quick.
    uint64_t cost = 0;
    for (int d : dims) {
      int factors[11];
      const int count = fft_factorise(static_cast<size_t>(d), factors);
      for (int i = 0; i < count; ++i) cost += total * static_cast<uint64_t>(factors[i]);
    }
    if (cost > (uint64_t(1) << 20)) continue;

    // Data from the seed; with an increment the places between hold a mark
    // that must survive.
    const size_t places = inc == 0 ? 1 : (total - 1) * inc + 1;
    std::vector<double> re(places, 1234.5), im(places, -1234.5);
    std::vector<double> x(total), y(total);
    for (size_t j = 0; j < total; ++j) {
      seed = seed * 1664525u + 1013904223u;
      x[j] = static_cast<int16_t>(seed >> 16);
      seed = seed * 1664525u + 1013904223u;
      y[j] = static_cast<int16_t>(seed >> 16);
      if (inc != 0) {
        re[j * inc] = x[j];
        im[j * inc] = y[j];
      }
    }
    Check(fftn(callDims, call.data(), re.data(), im.data(), iSign, scaling) == 0,
          "valid transform failed");
    if (inc == 0) continue;  // every element in one place: nothing to compare
    for (size_t p = 0; p < places; ++p)
      if (p % inc != 0) Check(re[p] == 1234.5 && im[p] == -1234.5, "element between touched");

    double divisor = 1.0;
    if (scaling < 0.0)
      divisor = static_cast<double>(total);
    else if (scaling != 0.0)
      divisor = scaling;
    double norm = 1.0;
    for (size_t j = 0; j < total; ++j) norm += std::fabs(x[j]) + std::fabs(y[j]);
    const int sign = iSign < 0 ? -1 : 1;
    if (total <= 256) {
      std::vector<double> wantRe, wantIm;
      DirectDft(x, y, dims, sign, wantRe, wantIm);
      const double tolerance = 1e-11 * norm / divisor;
      for (size_t k = 0; k < total; ++k)
        Check(std::fabs(re[k * inc] - wantRe[k] / divisor) <= tolerance &&
                  std::fabs(im[k * inc] - wantIm[k] / divisor) <= tolerance,
              "transform differs from the direct sum");
    } else {
      // Back again with the other sign, divided by the element count and
      // multiplied by what the first transform divided by.
      std::vector<double> backRe(total), backIm(total);
      for (size_t k = 0; k < total; ++k) {
        backRe[k] = re[k * inc] * divisor;
        backIm[k] = im[k * inc] * divisor;
      }
      Check(fftn(static_cast<int>(dims.size()), dims.data(), backRe.data(), backIm.data(), -sign,
                 -1.0) == 0,
            "inverse transform failed");
      const double tolerance = 1e-11 * norm;
      for (size_t j = 0; j < total; ++j)
        Check(std::fabs(backRe[j] - x[j]) <= tolerance && std::fabs(backIm[j] - y[j]) <= tolerance,
              "transform and inverse do not give the input back");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  Reader in{data, size, 1};
  if (data[0] & 1)
    FuzzFft(in);
  else
    FuzzDetector(in);
  return 0;
}
