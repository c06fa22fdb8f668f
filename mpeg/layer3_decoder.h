// Layer III decoding: the per-stream state (bit reservoir, side information,
// scale factors, spectra, overlap), the set-up that startStream runs, and the
// frame routine that decodeFrame calls for every frame of a Layer III stream.
#pragma once

#include <cstdint>

#include "mpeg/layer3_scale_factors.h"
#include "mpeg/layer3_side_info.h"
#include "mpeg/stream_records.h"

namespace mpeg {

struct MpegDecoder;
struct ScaleFactorBands;

// Main data of earlier frames that a frame may reach back into, and the fill
// level above which the reservoir is compacted before the next append.
inline constexpr int kReservoirBytes = 8192;
inline constexpr int kReservoirCompactAbove = 6692;

struct Layer3State {
  // Bit reservoir: main data of the frames decoded so far.
  std::uint8_t reservoir[kReservoirBytes];
  std::int32_t reservoirBytes;  // bytes held
  std::int32_t mainDataStart;   // offset in the reservoir of this frame's main data

  Layer3SideInfo sideInfo;
  // Huffman values of the channel being decoded.
  std::int32_t quantized[576];
  ScaleFactors scaleFactors[2][2];  // [granule slot][channel]

  // Spectra of the granule being decoded, [granule slot][channel][line].
  alignas(64) float spectrum[2][2][576];
  std::int32_t nonzeroLines[2][2];
  // Highest scale-factor band holding a non-zero line (-1: none), for
  // intensity stereo: long part and each short window, per slot and channel.
  std::int32_t lastLongBand[2][2];
  std::int32_t lastShortBand[2][2][3];

  // Second halves of the last inverse MDCT per channel, [channel][time slot][subband],
  // and how many subbands of it may be non-zero.
  alignas(64) float overlap[2][18][32];
  std::int32_t overlapSubbands[2];
  // Inverse-MDCT output of one channel: 18 time slots x 32 subbands.
  alignas(64) float subbandSamples[18][32];
  // One granule's 16-bit PCM of each channel of a two-channel stream,
  // before the two are interleaved into the output.
  alignas(64) std::uint16_t channelPcm[2][576];

  std::int32_t granuleParity;  // slot of the next low-sampling-frequency frame

  // Stream constants set by the set-up.
  std::int32_t channels;
  std::int32_t lowSamplingFrequency;  // 1 for MPEG-2 and MPEG-2.5 (one granule per frame)
  std::int32_t sampleRateHz;
  const ScaleFactorBands* bands;
  std::int32_t lineLimit;
  std::int32_t longLimit;
  std::int32_t shortLimit;
  std::int32_t synthesisSubbands;
  std::int32_t mixedLongLines;      // lines of a mixed block decoded as long blocks
  std::int32_t mixedLongBands;      // long scale-factor bands of a mixed block
  std::int32_t granuleOutputBytes;  // PCM bytes of one granule

  // Flags of the frame being decoded.
  std::int32_t midSide;
  std::int32_t intensity;
};

// Set-up for a Layer III stream (startStream): empties the reservoir, sets
// the limits and band tables from the stream's first header.
void layer3Setup(MpegDecoder& decoder, const StreamInfo& info);

// Decodes one Layer III frame (decodeFrame's layer routine).
void layer3DecodeFrame(MpegDecoder& decoder, FrameRequest& request, const std::uint8_t* input,
                       std::int32_t available, std::uint8_t* output);

}  // namespace mpeg
