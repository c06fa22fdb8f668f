// Layer III requantisation and short-block reordering.
#include "mpeg/layer3_requantize.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "mpeg/decoder_tables.h"

namespace mpeg {

namespace {

// sign(value) |value|^(4/3) x gain, without branches: the sign goes onto
// the magnitude's sign bit.
inline float requantize(const float* pow43, std::int32_t value, float gain) {
  const std::uint32_t negative = std::uint32_t(value) >> 31;
  const float magnitude = pow43[value < 0 ? -value : value] * gain;
  std::uint32_t bits;
  std::memcpy(&bits, &magnitude, 4);
  bits ^= negative << 31;
  float result;
  std::memcpy(&result, &bits, 4);
  return result;
}

// out[i] = requantize(values[i], gains[i]) for i < count.
using LinesRoutine = void (*)(const float* pow43, const std::int32_t* values, const float* gains,
                              float* out, int count);

void requantizeLinesPortable(const float* pow43, const std::int32_t* values, const float* gains,
                             float* out, int count) {
  for (int i = 0; i < count; ++i) out[i] = requantize(pow43, values[i], gains[i]);
}

#if defined(__x86_64__) || defined(__i386__)
// Eight lines at a time: |x|^(4/3) gathered from the table, the same
// product and sign bit as one by one.
__attribute__((target("avx2"))) void requantizeLinesAvx2(const float* pow43,
                                                         const std::int32_t* values,
                                                         const float* gains, float* out,
                                                         int count) {
  const __m256i signBit = _mm256_set1_epi32(std::int32_t(0x80000000u));
  int i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(values + i));
    const __m256 magnitude = _mm256_mul_ps(_mm256_i32gather_ps(pow43, _mm256_abs_epi32(v), 4),
                                           _mm256_loadu_ps(gains + i));
    _mm256_storeu_ps(out + i,
                     _mm256_xor_ps(magnitude, _mm256_castsi256_ps(_mm256_and_si256(v, signBit))));
  }
  for (; i < count; ++i) out[i] = requantize(pow43, values[i], gains[i]);
}
#endif

// Chosen once per process from what the processor offers.
LinesRoutine linesRoutine() {
  static const LinesRoutine routine = [] {
#if defined(__x86_64__) || defined(__i386__)
    if (__builtin_cpu_supports("avx2")) return &requantizeLinesAvx2;
#endif
    return &requantizeLinesPortable;
  }();
  return routine;
}

}  // namespace

RequantizeResult requantizeChannel(const std::int32_t values[576], int nonzeroLines,
                                   const GranuleChannelInfo& info, const ScaleFactors& factors,
                                   const ScaleFactorBands& bands, int mixedLongLines, int lineLimit,
                                   float spectrum[576]) {
  const DecoderTables& tables = decoderTables();
  RequantizeResult result{0, -1, {-1, -1, -1}};
  const float globalGain = tables.globalGain[info.global_gain + 6];
  const int scale = info.scalefac_scale;

  const bool shortBlocks = info.block_type == 2;
  const int longLines = shortBlocks ? (info.mixed_block_flag ? mixedLongLines : 0) : 576;
  const int longEnd = std::min(nonzeroLines, longLines);

  // Long bands (all of a long block, the lower bands of a mixed block): the
  // gain of each line from its band, then all lines in one pass.
  alignas(32) float gains[576];
  for (int band = 0, line = 0; band < 22 && line < longEnd; ++band) {
    const int end = std::min<int>(bands.longBoundary[band + 1], longEnd);
    const int emphasis = info.preflag ? kPretab[band] : 0;
    const float gain = globalGain * tables.scaleFactorGain[scale][emphasis][factors.longBand[band]];
    std::fill(gains + line, gains + end, gain);
    line = end;
  }
  linesRoutine()(tables.pow43, values, gains, spectrum, longEnd);
  // The highest band with a non-zero line.
  int lastNonzero = longEnd - 1;
  while (lastNonzero >= 0 && values[lastNonzero] == 0) --lastNonzero;
  if (lastNonzero >= 0) {
    int band = 0;
    while (bands.longBoundary[band + 1] <= lastNonzero) ++band;
    result.lastLongBand = band;
  }
  int extent = longEnd;

  if (shortBlocks) {
    const int firstBand = info.mixed_block_flag ? 3 : 0;
    for (int band = firstBand; band < 13; ++band) {
      const int start = bands.shortBoundary[band];
      const int width = bands.shortBoundary[band + 1] - start;
      const int base = 3 * start;
      if (base >= nonzeroLines) break;
      for (int w = 0; w < 3; ++w) {
        const float gain = globalGain * tables.subblockGain[info.subblock_gain[w]] *
                           tables.scaleFactorGain[scale][0][factors.shortBand[band][w]];
        const std::int32_t* from = values + base + w * width;
        float* to = spectrum + base + w;
        bool nonzero = false;
        for (int j = 0; j < width; ++j) {
          const std::int32_t value = from[j];
          to[3 * j] = requantize(tables.pow43, value, gain);
          nonzero |= value != 0;
        }
        if (nonzero) result.lastShortBand[w] = band;
      }
      // Reordering spreads a band's lines over the whole band.
      extent = base + 3 * width;
    }
  }

  extent = std::min(extent, lineLimit);
  std::memset(spectrum + extent, 0, (576 - extent) * sizeof(float));
  result.lineCount = extent;
  return result;
}

}  // namespace mpeg
