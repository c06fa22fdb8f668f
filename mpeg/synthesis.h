// Polyphase synthesis subband filter and PCM output.
//
// Turns blocks of 32 subband samples of one channel into 32 PCM samples:
// the standard's matrixing (as a fast 32-point cosine transform), the
// windowing with the synthesis window D, and the conversion of each sum to a
// 16-bit sample by truncation toward zero and clipping. Every layer ends
// here. Each channel keeps its own history of the last 16 matrixed blocks
// and its own position in it. All arithmetic is in single precision; the
// vector widths the processor offers (chosen at run time) all give the same
// samples.
#pragma once

#include <cstdint>

namespace mpeg {

// Blocks kept per channel: the window spans 16 blocks of 32 samples.
inline constexpr int kSynthesisBlocks = 16;

struct SynthesisState {
  // history[channel][block][i]: the 64 matrixed values V[i] of a block,
  // block index counted in the ring, the newest at position[channel].
  alignas(64) float history[2][kSynthesisBlocks][64];
  std::int32_t position[2];
};

// Clears both channels' history and positions.
void clearSynthesis(SynthesisState& state);

// Synthesises one block of 32 subband samples of one channel, read
// `sampleStride` floats apart, into 32 PCM samples written `outputStride`
// samples apart (16-bit little-endian), and moves the channel's position.
void synthesizeBlock(SynthesisState& state, int channel, const float* subbandSamples,
                     int sampleStride, std::uint8_t* output, int outputStride);

// Synthesises `blockCount` blocks of one channel. `subbandSamples` holds the
// blocks one after another, 32 values each (block-major). PCM goes to
// `output` as 16-bit little-endian samples, `outputStride` samples apart
// (1 for mono output, 2 for one channel of interleaved stereo).
void synthesizeChannel(SynthesisState& state, int channel, const float* subbandSamples,
                       int blockCount, std::uint8_t* output, int outputStride);

// The 16-bit sample for one window sum: truncation toward zero, then
// clipping to -32768..32767 (a NaN gives -32768).
std::int16_t sumToSample(float sum);

// synthesizeChannel with `lanes` blocks transformed at a time (4, or 8 where
// the processor has AVX2), for tests that compare the widths. Returns false
// for a width the processor cannot run.
bool synthesizeChannelWithLanes(SynthesisState& state, int channel, const float* subbandSamples,
                                int blockCount, std::uint8_t* output, int outputStride, int lanes);

// Windows 32 samples with `lanes` of them at a time (4, or 8 where the
// processor has AVX2; 1 for the portable loop), for tests that compare the
// widths: `terms` are the 16 rows U_i of the window sum. Returns false for
// a width the processor cannot run.
bool windowSamplesWithLanes(const float* const terms[16], std::int16_t pcm[32], int lanes);

// Interleaves `count` 16-bit samples of two channels (a multiple of 8;
// `left` and `right` 16-byte aligned) into `output`, left first. The
// samples are moved as they are, whatever the byte order.
void interleaveChannels(const std::uint16_t* left, const std::uint16_t* right, int count,
                        std::uint8_t* output);

}  // namespace mpeg
