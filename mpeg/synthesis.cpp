// Polyphase synthesis: matrixing by a fast cosine transform, windowing with
// D, and conversion to 16-bit PCM.
//
// With X[m] = sum_k S[k] cos((2k + 1) m pi / 64), the standard's matrixed
// vector V[i] = sum_k cos((16 + i)(2k + 1) pi / 64) S[k] is
//   V[0..15] = X[16..31], V[16] = 0, V[17..31] = -X[31..17],
//   V[32..48] = -X[16..0], V[49..63] = -X[1..15],
// and the output sample j is sum_{i=0..15} U_i[j] D[32 i + j], where U_i is
// the first half of V of the block i blocks back when i is even and its
// second half when i is odd.
#include "mpeg/synthesis.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "mpeg/decoder_tables.h"
#include "mpeg/standard_tables.h"

namespace mpeg {

namespace {

struct SynthesisWindow {
  alignas(64) double d[512];  // D[i], exact in double (multiples of 2^-16)
};

const SynthesisWindow& synthesisWindow() {
  static const SynthesisWindow window = [] {
    SynthesisWindow w{};
    for (int i = 0; i < 512; ++i) w.d[i] = kSynthesisWindowTimes65536[i] / 65536.0;
    return w;
  }();
  return window;
}

// Unnormalised N-point DCT-II, out[m] = sum_k in[k] cos((2k + 1) m pi / 2N),
// by Lee's recursion: the sums and the differences scaled by
// 0.5 / cos((2k + 1) pi / 2N) are transformed at half size; the even outputs
// are the first transform, the odd ones sums of neighbouring outputs of the
// second. `coefficients` holds this size's N/2 factors, then the smaller sizes'.
template <int N, typename Value>
inline void fastCosineTransform(const Value* in, Value* out, const float* coefficients) {
  constexpr int half = N / 2;
  Value sums[half], differences[half], even[half], odd[half];
  for (int k = 0; k < half; ++k) {
    sums[k] = in[k] + in[N - 1 - k];
    differences[k] = (in[k] - in[N - 1 - k]) * coefficients[k];
  }
  if constexpr (half == 1) {
    even[0] = sums[0];
    odd[0] = differences[0];
  } else {
    fastCosineTransform<half>(sums, even, coefficients + half);
    fastCosineTransform<half>(differences, odd, coefficients + half);
  }
  for (int m = 0; m < half - 1; ++m) {
    out[2 * m] = even[m];
    out[2 * m + 1] = odd[m] + odd[m + 1];
  }
  out[N - 2] = even[half - 1];
  out[N - 1] = odd[half - 1];
}

// Four blocks side by side, one per lane: the transform of each lane is the
// scalar transform, operation for operation.
typedef float FourBlocks __attribute__((vector_size(16)));

inline void storeSample(std::uint8_t* at, std::int16_t sample) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(at, &sample, 2);
  } else {
    const auto bits = std::uint16_t(sample);
    at[0] = std::uint8_t(bits & 0xFF);
    at[1] = std::uint8_t(bits >> 8);
  }
}

inline void storeSamples(std::uint8_t* at, const std::int16_t pcm[32]) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(at, pcm, 64);
  } else {
    for (int j = 0; j < 32; ++j) storeSample(at + 2 * j, pcm[j]);
  }
}

// The 32 window sums of one block: pcm[j] = sum_i terms[i][j] D[32 i + j],
// each product and the sum in double precision, accumulated from 0 in the
// order i = 0..15, then truncated and clipped. Every variant below gives the
// same samples: a product of two floats is exact in double, so fused and
// separate multiply-adds round alike.
using WindowingRoutine = void (*)(const double* const terms[16], const double* window,
                                  std::int16_t pcm[32]);

[[maybe_unused]] void windowPortable(const double* const terms[16], const double* window,
                                     std::int16_t pcm[32]) {
  double sums[32] = {};
  for (int i = 0; i < 16; ++i) {
    const double* u = terms[i];
    const double* d = window + 32 * i;
    for (int j = 0; j < 32; ++j) sums[j] += u[j] * d[j];
  }
  for (int j = 0; j < 32; ++j) pcm[j] = sumToSample(sums[j]);
}

#if defined(__SSE2__)
// Clips sums to the 16-bit range, then truncates toward zero; a NaN becomes -32768.
inline __m128i samplesFromSums(__m128d a, __m128d b, __m128d c, __m128d d) {
  const __m128d low = _mm_set1_pd(-32768.0), high = _mm_set1_pd(32767.0);
  const __m128i ab = _mm_unpacklo_epi64(_mm_cvttpd_epi32(_mm_min_pd(_mm_max_pd(a, low), high)),
                                        _mm_cvttpd_epi32(_mm_min_pd(_mm_max_pd(b, low), high)));
  const __m128i cd = _mm_unpacklo_epi64(_mm_cvttpd_epi32(_mm_min_pd(_mm_max_pd(c, low), high)),
                                        _mm_cvttpd_epi32(_mm_min_pd(_mm_max_pd(d, low), high)));
  return _mm_packs_epi32(ab, cd);
}

void windowSse2(const double* const terms[16], const double* window, std::int16_t pcm[32]) {
  for (int half = 0; half < 32; half += 16) {
    __m128d acc[8];
    for (int g = 0; g < 8; ++g) acc[g] = _mm_setzero_pd();
    for (int i = 0; i < 16; ++i) {
      const double* u = terms[i] + half;
      const double* d = window + 32 * i + half;
      for (int g = 0; g < 8; ++g)
        acc[g] = _mm_add_pd(acc[g], _mm_mul_pd(_mm_load_pd(u + 2 * g), _mm_load_pd(d + 2 * g)));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pcm + half),
                     samplesFromSums(acc[0], acc[1], acc[2], acc[3]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pcm + half + 8),
                     samplesFromSums(acc[4], acc[5], acc[6], acc[7]));
  }
}

__attribute__((target("avx2,fma"))) void windowAvx2(const double* const terms[16],
                                                    const double* window, std::int16_t pcm[32]) {
  __m256d acc[8];
  for (int g = 0; g < 8; ++g) acc[g] = _mm256_setzero_pd();
  for (int i = 0; i < 16; ++i) {
    const double* u = terms[i];
    const double* d = window + 32 * i;
    for (int g = 0; g < 8; ++g)
      acc[g] = _mm256_fmadd_pd(_mm256_load_pd(u + 4 * g), _mm256_load_pd(d + 4 * g), acc[g]);
  }
  const __m256d low = _mm256_set1_pd(-32768.0), high = _mm256_set1_pd(32767.0);
  for (int g = 0; g < 8; g += 2) {
    const __m128i a = _mm256_cvttpd_epi32(_mm256_min_pd(_mm256_max_pd(acc[g], low), high));
    const __m128i b = _mm256_cvttpd_epi32(_mm256_min_pd(_mm256_max_pd(acc[g + 1], low), high));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pcm + 4 * g), _mm_packs_epi32(a, b));
  }
}
#endif

// Chosen once per process from what the processor offers.
WindowingRoutine windowingRoutine() {
  static const WindowingRoutine routine = [] {
#if defined(__SSE2__)
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) return &windowAvx2;
    return &windowSse2;
#else
    return &windowPortable;
#endif
  }();
  return routine;
}

}  // namespace

void clearSynthesis(SynthesisState& state) {
  std::memset(state.history, 0, sizeof state.history);
  state.position[0] = state.position[1] = 0;
}

void interleaveChannels(const std::uint16_t* left, const std::uint16_t* right, int count,
                        std::uint8_t* output) {
#if defined(__SSE2__)
  // Eight samples of each channel at a time.
  for (int i = 0; i < count; i += 8) {
    const __m128i l = _mm_load_si128(reinterpret_cast<const __m128i*>(left + i));
    const __m128i r = _mm_load_si128(reinterpret_cast<const __m128i*>(right + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(output + 4 * i), _mm_unpacklo_epi16(l, r));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(output + 4 * i + 16), _mm_unpackhi_epi16(l, r));
  }
#else
  for (int i = 0; i < count; ++i) {
    const std::uint16_t pair[2] = {left[i], right[i]};
    std::memcpy(output + 4 * i, pair, 4);
  }
#endif
}

std::int16_t sumToSample(double sum) {
  // Clipping at the integer bounds first gives the same result as
  // truncating first, and keeps the conversion defined for any sum.
  if (!(sum < 32767.0)) return 32767;
  if (!(sum > -32768.0)) return -32768;
  return std::int16_t(sum);  // truncation toward zero
}

namespace {

// Stores one block's transform into the channel's history, forms its 32
// samples and moves the position back.
void windowBlock(SynthesisState& state, int channel, const float x[32], std::uint8_t* output,
                 int outputStride) {
  const int position = state.position[channel];
  double* v = state.history[channel][position];
  for (int j = 0; j < 16; ++j) v[j] = x[16 + j];
  v[16] = 0.0;
  for (int j = 17; j < 32; ++j) v[j] = -x[48 - j];
  for (int j = 0; j <= 16; ++j) v[32 + j] = -x[16 - j];
  for (int j = 17; j < 32; ++j) v[32 + j] = -x[j - 16];

  const double* terms[16];
  for (int i = 0; i < 16; ++i)
    terms[i] = state.history[channel][(position + i) & (kSynthesisBlocks - 1)] + (i & 1) * 32;
  std::int16_t pcm[32];
  windowingRoutine()(terms, synthesisWindow().d, pcm);
  if (outputStride == 1) {
    storeSamples(output, pcm);
  } else {
    for (int j = 0; j < 32; ++j) storeSample(output + 2 * j * outputStride, pcm[j]);
  }
  state.position[channel] = (position - 1) & (kSynthesisBlocks - 1);
}

}  // namespace

void synthesizeBlock(SynthesisState& state, int channel, const float* subbandSamples,
                     int sampleStride, std::uint8_t* output, int outputStride) {
  float samples[32], x[32];
  for (int k = 0; k < 32; ++k) samples[k] = subbandSamples[k * sampleStride];
  fastCosineTransform<32>(samples, x, decoderTables().matrixing);
  windowBlock(state, channel, x, output, outputStride);
}

void synthesizeChannel(SynthesisState& state, int channel, const float* subbandSamples,
                       int blockCount, std::uint8_t* output, int outputStride) {
  const float* coefficients = decoderTables().matrixing;
  // The transforms do not depend on the history: four blocks at a time
  // (the lanes of a last group beyond blockCount transform zeros and are
  // not used).
  for (int block = 0; block < blockCount; block += 4) {
    const int lanes = blockCount - block < 4 ? blockCount - block : 4;
    FourBlocks in[32], out[32];
    const float* first = subbandSamples + 32 * block;
    if (lanes == 4) {
      for (int k = 0; k < 32; ++k)
        in[k] = FourBlocks{first[k], first[32 + k], first[64 + k], first[96 + k]};
    } else {
      for (int k = 0; k < 32; ++k) {
        in[k] = FourBlocks{first[k], 0.0f, 0.0f, 0.0f};
        for (int lane = 1; lane < lanes; ++lane) in[k][lane] = first[32 * lane + k];
      }
    }
    fastCosineTransform<32>(in, out, coefficients);
    for (int lane = 0; lane < lanes; ++lane) {
      float x[32];
      for (int m = 0; m < 32; ++m) x[m] = out[m][lane];
      windowBlock(state, channel, x, output + 2 * 32 * outputStride * (block + lane), outputStride);
    }
  }
}

}  // namespace mpeg
