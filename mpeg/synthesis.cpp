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
//
// Everything is single precision. The transforms of several blocks run side
// by side, one block per vector lane (8 with AVX2, else 4), and the window
// sums of a block run several samples per lane (8 with AVX2, 4 with SSE2):
// each lane does the same operations in the same order (a product, then a
// sum; never a fused multiply-add), so every width gives the same samples.
#include "mpeg/synthesis.h"

#include <bit>
#include <cstring>
#include <initializer_list>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "mpeg/avx2_transpose.h"
#include "mpeg/decoder_tables.h"
#include "mpeg/standard_tables.h"

namespace mpeg {

namespace {

struct SynthesisWindow {
  alignas(64) float d[512];  // D[i], exact in single precision (multiples of 2^-16)
};

const SynthesisWindow& synthesisWindow() {
  static const SynthesisWindow window = [] {
    SynthesisWindow w{};
    for (int i = 0; i < 512; ++i) w.d[i] = float(kSynthesisWindowTimes65536[i]) / 65536.0f;
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
[[gnu::always_inline]] inline void fastCosineTransform(const Value* in, Value* out,
                                                       const float* coefficients) {
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

// Blocks side by side, one per lane.
typedef float FourBlocks __attribute__((vector_size(16)));
typedef float EightBlocks __attribute__((vector_size(32)));

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
// each product rounded, then added to the sum, from 0 in the order
// i = 0..15; then clipped and truncated.
using WindowingRoutine = void (*)(const float* const terms[16], const float* window,
                                  std::int16_t pcm[32]);

void windowPortable(const float* const terms[16], const float* window, std::int16_t pcm[32]) {
  float sums[32] = {};
  for (int i = 0; i < 16; ++i) {
    const float* u = terms[i];
    const float* d = window + 32 * i;
    for (int j = 0; j < 32; ++j) {
      const float product = u[j] * d[j];
      sums[j] = sums[j] + product;
    }
  }
  for (int j = 0; j < 32; ++j) pcm[j] = sumToSample(sums[j]);
}

#if defined(__SSE2__)
// Clips sums to the 16-bit range, then truncates toward zero; a NaN becomes -32768.
inline __m128i samplesFromSums(__m128 a, __m128 b) {
  const __m128 low = _mm_set1_ps(-32768.0f), high = _mm_set1_ps(32767.0f);
  return _mm_packs_epi32(_mm_cvttps_epi32(_mm_min_ps(_mm_max_ps(a, low), high)),
                         _mm_cvttps_epi32(_mm_min_ps(_mm_max_ps(b, low), high)));
}

void windowSse2(const float* const terms[16], const float* window, std::int16_t pcm[32]) {
  __m128 acc[8];
  for (int g = 0; g < 8; ++g) acc[g] = _mm_setzero_ps();
  for (int i = 0; i < 16; ++i) {
    const float* u = terms[i];
    const float* d = window + 32 * i;
    for (int g = 0; g < 8; ++g)
      acc[g] = _mm_add_ps(acc[g], _mm_mul_ps(_mm_load_ps(u + 4 * g), _mm_load_ps(d + 4 * g)));
  }
  for (int g = 0; g < 8; g += 2)
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pcm + 4 * g), samplesFromSums(acc[g], acc[g + 1]));
}

__attribute__((target("avx2"))) void windowAvx2(const float* const terms[16], const float* window,
                                                std::int16_t pcm[32]) {
  __m256 acc[4];
  for (int g = 0; g < 4; ++g) acc[g] = _mm256_setzero_ps();
  for (int i = 0; i < 16; ++i) {
    const float* u = terms[i];
    const float* d = window + 32 * i;
    for (int g = 0; g < 4; ++g)
      acc[g] = _mm256_add_ps(acc[g],
                             _mm256_mul_ps(_mm256_load_ps(u + 8 * g), _mm256_load_ps(d + 8 * g)));
  }
  const __m256 low = _mm256_set1_ps(-32768.0f), high = _mm256_set1_ps(32767.0f);
  for (int g = 0; g < 4; g += 2) {
    const __m256i a = _mm256_cvttps_epi32(_mm256_min_ps(_mm256_max_ps(acc[g], low), high));
    const __m256i b = _mm256_cvttps_epi32(_mm256_min_ps(_mm256_max_ps(acc[g + 1], low), high));
    // Packing works within 128-bit halves: put the four quarters back in order.
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packs_epi32(a, b), 0xD8);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(pcm + 8 * g), packed);
  }
}
#endif

// The windowing routine for `lanes` samples at a time, or null where the
// processor cannot run it.
WindowingRoutine windowingForLanes(int lanes) {
  if (lanes == 1) return &windowPortable;
#if defined(__SSE2__)
  if (lanes == 4) return &windowSse2;
  if (lanes == 8 && __builtin_cpu_supports("avx2")) return &windowAvx2;
#endif
  return nullptr;
}

// The widest, chosen once per process.
WindowingRoutine windowingRoutine() {
  static const WindowingRoutine routine = [] {
    for (int lanes : {8, 4})
      if (WindowingRoutine r = windowingForLanes(lanes)) return r;
    return windowingForLanes(1);
  }();
  return routine;
}

// The matrixed values V of one block (see the top of this file) from its
// transform x.
inline void storeMatrixed(const float x[32], float v[64]) {
  for (int j = 0; j < 16; ++j) v[j] = x[16 + j];
  v[16] = 0.0f;
  for (int j = 17; j < 32; ++j) v[j] = -x[48 - j];
  for (int j = 0; j <= 16; ++j) v[32 + j] = -x[16 - j];
  for (int j = 17; j < 32; ++j) v[32 + j] = -x[j - 16];
}

// Forms the 32 samples of the block just stored at the channel's position
// and moves the position back.
template <typename Windowing>
[[gnu::always_inline]] inline void windowStoredBlock(SynthesisState& state, int channel,
                                                     std::uint8_t* output, int outputStride,
                                                     Windowing windowing, const float* window) {
  const int position = state.position[channel];
  const float* terms[16];
  for (int i = 0; i < 16; ++i)
    terms[i] = state.history[channel][(position + i) & (kSynthesisBlocks - 1)] + (i & 1) * 32;
  std::int16_t pcm[32];
  windowing(terms, window, pcm);
  if (outputStride == 1) {
    storeSamples(output, pcm);
  } else {
    for (int j = 0; j < 32; ++j) storeSample(output + 2 * j * outputStride, pcm[j]);
  }
  state.position[channel] = (position - 1) & (kSynthesisBlocks - 1);
}

void windowBlock(SynthesisState& state, int channel, const float x[32], std::uint8_t* output,
                 int outputStride, WindowingRoutine windowing, const float* window) {
  storeMatrixed(x, state.history[channel][state.position[channel]]);
  windowStoredBlock(state, channel, output, outputStride, windowing, window);
}

// The transforms do not depend on the history: kLanes blocks at a time (the
// lanes of a last group beyond blockCount transform zeros and are not
// used), then the windowing block by block.
template <typename Blocks, int kLanes>
[[gnu::always_inline]] inline void synthesizeGroups(SynthesisState& state, int channel,
                                                    const float* subbandSamples, int blockCount,
                                                    std::uint8_t* output, int outputStride) {
  const float* coefficients = decoderTables().matrixing;
  const WindowingRoutine windowing = windowingRoutine();
  const float* window = synthesisWindow().d;
  for (int block = 0; block < blockCount; block += kLanes) {
    const int lanes = blockCount - block < kLanes ? blockCount - block : kLanes;
    Blocks in[32], out[32];
    const float* first = subbandSamples + 32 * block;
    for (int k = 0; k < 32; ++k)
      for (int lane = 0; lane < kLanes; ++lane)
        in[k][lane] = lane < lanes ? first[32 * lane + k] : 0.0f;
    fastCosineTransform<32>(in, out, coefficients);
    for (int lane = 0; lane < lanes; ++lane) {
      float x[32];
      for (int m = 0; m < 32; ++m) x[m] = out[m][lane];
      windowBlock(state, channel, x, output + 2 * 32 * outputStride * (block + lane), outputStride,
                  windowing, window);
    }
  }
}

void synthesizeFourAtATime(SynthesisState& state, int channel, const float* subbandSamples,
                           int blockCount, std::uint8_t* output, int outputStride) {
  synthesizeGroups<FourBlocks, 4>(state, channel, subbandSamples, blockCount, output, outputStride);
}

#if defined(__SSE2__)
// -from[7], -from[6], ..., -from[0].
__attribute__((target("avx2"))) inline __m256 negatedReverse(const float* from) {
  const __m256i reverse = _mm256_setr_epi32(7, 6, 5, 4, 3, 2, 1, 0);
  return _mm256_xor_ps(_mm256_permutevar8x32_ps(_mm256_loadu_ps(from), reverse),
                       _mm256_set1_ps(-0.0f));
}

// storeMatrixed with vectors; `x` has 8 readable zeros after its 32 values.
// (V[16] comes out as -0, which adds like +0.)
__attribute__((target("avx2"))) inline void storeMatrixedAvx2(const float* x, float* v) {
  const __m256 sign = _mm256_set1_ps(-0.0f);
  _mm256_store_ps(v, _mm256_load_ps(x + 16));
  _mm256_store_ps(v + 8, _mm256_load_ps(x + 24));
  _mm256_store_ps(v + 16, negatedReverse(x + 25));                      // 0, -x31 .. -x25
  _mm256_store_ps(v + 24, negatedReverse(x + 17));                      // -x24 .. -x17
  _mm256_store_ps(v + 32, negatedReverse(x + 9));                       // -x16 .. -x9
  _mm256_store_ps(v + 40, negatedReverse(x + 1));                       // -x8 .. -x1
  _mm256_store_ps(v + 48, _mm256_xor_ps(_mm256_load_ps(x), sign));      // -x0 .. -x7
  _mm256_store_ps(v + 56, _mm256_xor_ps(_mm256_load_ps(x + 8), sign));  // -x8 .. -x15
}

// Eight blocks at a time: the blocks are transposed into the lanes, the
// transforms transposed back, stored as V and windowed block by block.
__attribute__((target("avx2"))) void synthesizeEightAtATime(SynthesisState& state, int channel,
                                                            const float* subbandSamples,
                                                            int blockCount, std::uint8_t* output,
                                                            int outputStride) {
  const float* coefficients = decoderTables().matrixing;
  const float* window = synthesisWindow().d;
  alignas(32) float padded[8][32];
  alignas(32) float x[8][40];
  for (auto& row : x)
    for (int i = 32; i < 40; ++i) row[i] = 0.0f;
  for (int block = 0; block < blockCount; block += 8) {
    const int lanes = blockCount - block < 8 ? blockCount - block : 8;
    const float* rows = subbandSamples + 32 * block;
    if (lanes < 8) {  // never read past the last block
      std::memset(padded, 0, sizeof padded);
      std::memcpy(padded, rows, sizeof(float) * 32 * std::size_t(lanes));
      rows = padded[0];
    }
    EightBlocks in[32], out[32];
    __m256 r[8];
    for (int q = 0; q < 4; ++q) {
      for (int b = 0; b < 8; ++b) r[b] = _mm256_loadu_ps(rows + 32 * b + 8 * q);
      transpose8(r);
      for (int j = 0; j < 8; ++j) in[8 * q + j] = r[j];
    }
    fastCosineTransform<32>(in, out, coefficients);
    for (int q = 0; q < 4; ++q) {
      for (int j = 0; j < 8; ++j) r[j] = out[8 * q + j];
      transpose8(r);
      for (int b = 0; b < 8; ++b) _mm256_store_ps(&x[b][8 * q], r[b]);
    }
    for (int lane = 0; lane < lanes; ++lane) {
      storeMatrixedAvx2(x[lane], state.history[channel][state.position[channel]]);
      windowStoredBlock(state, channel, output + 2 * 32 * outputStride * (block + lane),
                        outputStride, windowAvx2, window);
    }
  }
}
#endif

using ChannelRoutine = void (*)(SynthesisState& state, int channel, const float* subbandSamples,
                                int blockCount, std::uint8_t* output, int outputStride);

// The routine for `lanes` blocks at a time, or null where the processor
// cannot run it.
ChannelRoutine channelRoutineForLanes(int lanes) {
  if (lanes == 4) return &synthesizeFourAtATime;
#if defined(__SSE2__)
  if (lanes == 8 && __builtin_cpu_supports("avx2")) return &synthesizeEightAtATime;
#endif
  return nullptr;
}

// The widest, chosen once per process.
ChannelRoutine channelRoutine() {
  static const ChannelRoutine routine = [] {
    const ChannelRoutine eight = channelRoutineForLanes(8);
    return eight != nullptr ? eight : channelRoutineForLanes(4);
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

std::int16_t sumToSample(float sum) {
  // Clipping at the integer bounds first gives the same result as
  // truncating first, and keeps the conversion defined for any sum.
  if (!(sum > -32768.0f)) return -32768;  // a NaN too, as the vector routines
  if (!(sum < 32767.0f)) return 32767;
  return std::int16_t(sum);  // truncation toward zero
}

bool windowSamplesWithLanes(const float* const terms[16], std::int16_t pcm[32], int lanes) {
  const WindowingRoutine routine = windowingForLanes(lanes);
  if (routine == nullptr) return false;
  routine(terms, synthesisWindow().d, pcm);
  return true;
}

bool synthesizeChannelWithLanes(SynthesisState& state, int channel, const float* subbandSamples,
                                int blockCount, std::uint8_t* output, int outputStride, int lanes) {
  const ChannelRoutine routine = channelRoutineForLanes(lanes);
  if (routine == nullptr) return false;
  routine(state, channel, subbandSamples, blockCount, output, outputStride);
  return true;
}

void synthesizeBlock(SynthesisState& state, int channel, const float* subbandSamples,
                     int sampleStride, std::uint8_t* output, int outputStride) {
  float samples[32], x[32];
  for (int k = 0; k < 32; ++k) samples[k] = subbandSamples[k * sampleStride];
  fastCosineTransform<32>(samples, x, decoderTables().matrixing);
  windowBlock(state, channel, x, output, outputStride, windowingRoutine(), synthesisWindow().d);
}

void synthesizeChannel(SynthesisState& state, int channel, const float* subbandSamples,
                       int blockCount, std::uint8_t* output, int outputStride) {
  channelRoutine()(state, channel, subbandSamples, blockCount, output, outputStride);
}

}  // namespace mpeg
