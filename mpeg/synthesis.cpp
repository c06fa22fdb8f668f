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

#include "mpeg/decoder_tables.h"
#include "mpeg/standard_tables.h"

namespace mpeg {

namespace {

struct SynthesisWindow {
    double d[512];  // D[i], exact in double (multiples of 2^-16)
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
template <int N>
inline void fastCosineTransform(const float* in, float* out, const float* coefficients) {
    constexpr int half = N / 2;
    float sums[half], differences[half], even[half], odd[half];
    for (int k = 0; k < half; ++k) {
        sums[k] = in[k] + in[N - 1 - k];
        differences[k] = (in[k] - in[N - 1 - k]) * coefficients[k];
    }
    fastCosineTransform<half>(sums, even, coefficients + half);
    fastCosineTransform<half>(differences, odd, coefficients + half);
    for (int m = 0; m < half - 1; ++m) {
        out[2 * m] = even[m];
        out[2 * m + 1] = odd[m] + odd[m + 1];
    }
    out[N - 2] = even[half - 1];
    out[N - 1] = odd[half - 1];
}

template <>
inline void fastCosineTransform<1>(const float* in, float* out, const float*) {
    out[0] = in[0];
}

inline void storeSample(std::uint8_t* at, std::int16_t sample) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(at, &sample, 2);
    } else {
        const auto bits = std::uint16_t(sample);
        at[0] = std::uint8_t(bits & 0xFF);
        at[1] = std::uint8_t(bits >> 8);
    }
}

}  // namespace

void clearSynthesis(SynthesisState& state) {
    std::memset(state.history, 0, sizeof state.history);
    state.position[0] = state.position[1] = 0;
}

std::int16_t sumToSample(double sum) {
    // Clipping at the integer bounds first gives the same result as
    // truncating first, and keeps the conversion defined for any sum.
    if (!(sum < 32767.0)) return 32767;
    if (!(sum > -32768.0)) return -32768;
    return std::int16_t(sum);  // truncation toward zero
}

void synthesizeBlock(SynthesisState& state, int channel, const float* subbandSamples, int sampleStride,
                     std::uint8_t* output, int outputStride) {
    const DecoderTables& tables = decoderTables();
    const SynthesisWindow& window = synthesisWindow();

    float samples[32], x[32];
    for (int k = 0; k < 32; ++k) samples[k] = subbandSamples[k * sampleStride];
    fastCosineTransform<32>(samples, x, tables.matrixing);

    const int position = state.position[channel];
    float* v = state.history[channel][position];
    for (int j = 0; j < 16; ++j) v[j] = x[16 + j];
    v[16] = 0.0f;
    for (int j = 17; j < 32; ++j) v[j] = -x[48 - j];
    for (int j = 0; j <= 16; ++j) v[32 + j] = -x[16 - j];
    for (int j = 17; j < 32; ++j) v[32 + j] = -x[j - 16];

    double sums[32] = {};
    for (int i = 0; i < 16; ++i) {
        const float* u = state.history[channel][(position + i) & (kSynthesisBlocks - 1)] + (i & 1) * 32;
        const double* d = window.d + 32 * i;
        for (int j = 0; j < 32; ++j) sums[j] += double(u[j]) * d[j];
    }
    for (int j = 0; j < 32; ++j) storeSample(output + 2 * j * outputStride, sumToSample(sums[j]));

    state.position[channel] = (position - 1) & (kSynthesisBlocks - 1);
}

void synthesizeChannel(SynthesisState& state, int channel, const float* subbandSamples, int blockCount,
                       std::uint8_t* output, int outputStride) {
    for (int block = 0; block < blockCount; ++block) {
        synthesizeBlock(state, channel, subbandSamples + 32 * block, 1, output + 2 * 32 * outputStride * block,
                        outputStride);
    }
}

}  // namespace mpeg
