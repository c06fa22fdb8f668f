// Layer I and Layer II decoding: the per-stream state (subband-sample
// buffer, stream constants, the frame's allocation and factors), the set-ups
// that startStream runs and the frame routines that decodeFrame calls.
//
// Both layers read the bit allocation, the scale factors (Layer II with
// scfsi) and the samples of every subband below the subband limit, and pass
// over the samples of the subbands above it. The subband limit is fixed per
// stream by the decoder's frequency limit (and, for Layer II, the sblimit of
// the allocation table), so the top subband is never decoded.
#pragma once

#include <cstdint>

#include "mpeg/stream_records.h"

namespace mpeg {

struct MpegDecoder;
struct Layer2AllocationTable;

// Blocks of 32 subband samples per frame and channel.
inline constexpr int kLayer1Blocks = 12;
inline constexpr int kLayer2Blocks = 36;

// Most sample bits a frame can hold: 12 blocks or granules of 32 subbands
// of two channels at 48 bits (three 16-bit Layer II codewords), and the
// bytes that hold them with room for whole 8-byte loads.
inline constexpr int kLayer12MaxSampleBits = 12 * 32 * 2 * 48;
inline constexpr int kLayer12PaddedSampleBytes = kLayer12MaxSampleBits / 8 + 16;

// How the samples of one subband of one channel are coded in the current frame.
struct Layer12Quantizer {
  std::int32_t bits;      // bits per codeword; 0: no samples (allocation 0)
  std::int32_t grouping;  // 3, 5 or 9: three samples in one codeword; 0: one codeword per sample
  std::int32_t offset;    // (levels - 1) / 2, subtracted from an ungrouped code
};

struct Layer12State {
  // Subband samples of one frame, [channel][block][subband]. Entries at or
  // above the subband limit are cleared by the set-up and stay 0.
  alignas(64) float subbandSamples[2][kLayer2Blocks][32];

  // The current frame's sample factors, [channel][part][subband]: the
  // scale factor times 2 / levels of the subband's quantiser, 0 where
  // nothing is allocated. Layer II has three parts of four granules each;
  // Layer I uses part 0.
  alignas(64) float factor[2][3][32];

  // The current frame's quantisers, [channel][subband].
  Layer12Quantizer quantizer[2][32];
  // 1 where a subband's samples of all blocks are 0 (nothing written since
  // they were cleared), [channel][subband].
  std::uint8_t silentSubband[2][32];

  // One frame's 16-bit PCM of each channel of a two-channel stream,
  // before the two are interleaved into the output.
  alignas(64) std::uint16_t channelPcm[2][kLayer2Blocks * 32];

  // The sample bits of a frame that ends before them, copied and padded
  // with zeros (read as the bit reader reads past the end of its bytes).
  std::uint8_t paddedSamples[kLayer12PaddedSampleBytes];

  // Stream constants set by the set-up.
  std::int32_t channels;      // 1 for a single-channel stream, else 2
  std::int32_t subbandLimit;  // subbands decoded (samples of higher ones are skipped)
  std::int32_t sblimit;       // Layer II: subbands the allocation table covers; Layer I: 32
  const Layer2AllocationTable* allocationTable;  // Layer II only
  std::int32_t outputBytes;                      // PCM bytes a frame of this stream produces
  std::int32_t silent;  // 1 when the set-up refused the stream: frames decode to silence
};

// Set-ups (startStream), given the stream's first header. Return 1, or 0
// when the stream cannot be decoded: a Layer II bit-rate and mode
// combination that ISO/IEC 11172-3 does not allow. The frames of a refused
// stream decode to silence.
int layer1Setup(MpegDecoder& decoder, const StreamInfo& info);
int layer2Setup(MpegDecoder& decoder, const StreamInfo& info);

// Frame routines (decodeFrame's layer routine): decode the frame at `input`,
// of which `available` bytes are readable, into `output` (the stream's
// outputBytes of 16-bit PCM). Whatever the frame holds, nothing is read
// outside the `available` bytes and nothing written beyond outputBytes.
void layer1DecodeFrame(MpegDecoder& decoder, FrameRequest& request, const std::uint8_t* input,
                       std::int32_t available, std::uint8_t* output);
void layer2DecodeFrame(MpegDecoder& decoder, FrameRequest& request, const std::uint8_t* input,
                       std::int32_t available, std::uint8_t* output);

}  // namespace mpeg
