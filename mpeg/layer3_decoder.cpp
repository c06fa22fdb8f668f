// Layer III set-up and frame decoding: side information, the bit
// reservoir, and per granule the scale factors, Huffman values,
// requantisation, stereo processing, alias reduction, inverse MDCT and
// polyphase synthesis.
#include "mpeg/layer3_decoder.h"

#include <algorithm>
#include <cstring>

#include "mpeg/layer3_huffman.h"
#include "mpeg/layer3_imdct.h"
#include "mpeg/layer3_requantize.h"
#include "mpeg/layer3_stereo.h"
#include "mpeg/mpeg_decoder.h"
#include "mpeg/standard_tables.h"
#include "mpeg/synthesis.h"

namespace mpeg {

namespace {

// Decodes the main data of one granule slot and channel starting at
// `bitOffset` in the reservoir into the slot's spectrum.
RequantizeResult decodeGranuleChannel(Layer3State& s, int slot, int channel, int granule,
                                      std::int32_t bitOffset) {
  GranuleChannelInfo& info = s.sideInfo.granule[slot][channel];
  float* spectrum = s.spectrum[slot][channel];
  ScaleFactors& factors = s.scaleFactors[slot][channel];

  const int startByte = bitOffset >> 3;
  int nonzeroLines = 0;
  if (startByte < kReservoirBytes) {
    BitReader reader;
    bitReaderInit(reader, s.reservoir + startByte, kReservoirBytes - startByte);
    skipBits(reader, bitOffset & 7);
    const std::int32_t part3End = bitPosition(reader) + info.part2_3_length;
    if (s.lowSamplingFrequency) {
      readScaleFactorsLsf(reader, info, s.intensity && channel == 1, factors);
    } else {
      readScaleFactorsMpeg1(reader, info, s.sideInfo.scfsi[channel], granule,
                            s.scaleFactors[0][channel], factors);
    }
    nonzeroLines = decodeHuffmanValues(reader, part3End, info, *s.bands, s.lineLimit, s.longLimit,
                                       s.shortLimit, s.quantized);
  } else {
    std::memset(&factors, 0, sizeof factors);
    std::memset(s.quantized, 0, sizeof s.quantized);
  }
  return requantizeChannel(s.quantized, nonzeroLines, info, factors, *s.bands, s.mixedLongLines,
                           s.lineLimit, spectrum);
}

void decodeGranule(MpegDecoder& decoder, int slot, int granule, std::int32_t& bitOffset,
                   std::uint8_t* output) {
  Layer3State& s = decoder.layer3;
  RequantizeResult bands[2];
  for (int ch = 0; ch < s.channels; ++ch) {
    bands[ch] = decodeGranuleChannel(s, slot, ch, granule, bitOffset);
    s.nonzeroLines[slot][ch] = bands[ch].lineCount;
    s.lastLongBand[slot][ch] = bands[ch].lastLongBand;
    for (int w = 0; w < 3; ++w) s.lastShortBand[slot][ch][w] = bands[ch].lastShortBand[w];
    // The next channel's data starts part2_3_length bits on, whatever was read.
    bitOffset += s.sideInfo.granule[slot][ch].part2_3_length;
  }

  if (s.channels == 2 && (s.midSide || s.intensity)) {
    const int lines = std::max(s.nonzeroLines[slot][0], s.nonzeroLines[slot][1]);
    StereoInput stereo{};
    stereo.left = s.spectrum[slot][0];
    stereo.right = s.spectrum[slot][1];
    stereo.rightInfo = &s.sideInfo.granule[slot][1];
    stereo.rightFactors = &s.scaleFactors[slot][1];
    stereo.rightBands = bands[1];
    stereo.lineCount = lines;
    stereo.midSide = s.midSide != 0;
    stereo.intensity = s.intensity != 0;
    stereo.lowSamplingFrequency = s.lowSamplingFrequency != 0;
    stereo.bands = s.bands;
    stereo.mixedLongBands = s.mixedLongBands;
    processStereo(stereo);
    s.nonzeroLines[slot][0] = s.nonzeroLines[slot][1] = lines;
  }

  for (int ch = 0; ch < s.channels; ++ch) {
    const GranuleChannelInfo& info = s.sideInfo.granule[slot][ch];
    float* spectrum = s.spectrum[slot][ch];
    int lines = s.nonzeroLines[slot][ch];
    const bool shortBlocks = info.block_type == 2;
    if (!shortBlocks || info.mixed_block_flag) {
      const int boundaries = shortBlocks ? 1 : std::min((lines + 7) / 18, 31);
      reduceAliases(spectrum, boundaries);
      lines = std::max(lines, 18 * boundaries + 8);
    }
    lines = std::min(lines, int(s.lineLimit));

    ImdctChannel imdct{};
    imdct.spectrum = spectrum;
    imdct.overlap = s.overlap[ch];
    imdct.overlapSubbands = &s.overlapSubbands[ch];
    imdct.lineCount = lines;
    imdct.longLines =
        shortBlocks ? (info.mixed_block_flag ? std::min(int(s.mixedLongLines), lines) : 0) : lines;
    imdct.blockType = shortBlocks ? 0 : info.block_type;
    // A mixed block's lowest subbands are long blocks with the normal window,
    // whether the rest are short blocks or long ones of a start or stop window.
    imdct.normalWindowSubbands = info.mixed_block_flag ? s.mixedLongLines / 18 : 0;
    inverseMdct(imdct, s.subbandSamples);
    if (s.channels == 1) {
      synthesizeChannel(decoder.synthesis, 0, s.subbandSamples[0], 18, output, 1);
    } else {
      synthesizeChannel(decoder.synthesis, ch, s.subbandSamples[0], 18,
                        reinterpret_cast<std::uint8_t*>(s.channelPcm[ch]), 1);
    }
  }
  if (s.channels == 2) interleaveChannels(s.channelPcm[0], s.channelPcm[1], 576, output);
}

}  // namespace

void layer3Setup(MpegDecoder& decoder, const StreamInfo& info) {
  Layer3State& s = decoder.layer3;
  s.reservoirBytes = 0;
  s.mainDataStart = 0;
  s.granuleParity = 0;

  const std::int32_t fs = decoder.streamSampleRate;
  const std::int32_t subbandLimit =
      std::min<std::int32_t>((decoder.frequencyLimit * 64 + fs / 2) / fs, 31);
  s.lowSamplingFrequency = info.version != 1 ? 1 : 0;
  s.sampleRateHz = fs;
  s.bands = &kScaleFactorBands[3 * (info.version - 1) + info.sampleRateIndex];
  const bool lsf = s.lowSamplingFrequency != 0;
  std::int32_t longLimit = s.bands->longBoundary[lsf ? 21 : 22];
  std::int32_t shortLimit = 3 * s.bands->shortBoundary[lsf ? 12 : 13];
  const std::int32_t lineLimit = std::min(longLimit + 8, 18 * subbandLimit);
  s.lineLimit = lineLimit;
  s.longLimit = std::min(longLimit, lineLimit);
  s.shortLimit = std::min(shortLimit, lineLimit);
  s.synthesisSubbands = (lineLimit + 17) / 18;
  s.mixedLongBands = lsf ? 6 : 8;
  s.mixedLongLines = s.bands->longBoundary[s.mixedLongBands];

  s.channels = info.mode == 3 ? 1 : 2;
  s.granuleOutputBytes = 576 * s.channels * 2;
  s.midSide = s.intensity = 0;

  std::memset(s.spectrum, 0, sizeof s.spectrum);
  std::memset(s.overlap, 0, sizeof s.overlap);
  std::memset(s.subbandSamples, 0, sizeof s.subbandSamples);
  std::memset(s.nonzeroLines, 0, sizeof s.nonzeroLines);
  s.overlapSubbands[0] = s.overlapSubbands[1] = 0;
}

void layer3DecodeFrame(MpegDecoder& decoder, FrameRequest& request, const std::uint8_t* input,
                       std::int32_t available, std::uint8_t* output) {
  Layer3State& s = decoder.layer3;
  const bool jointStereo = request.mode == 1 && s.channels == 2;
  s.midSide = jointStereo && (request.modeExtension & 2) ? 1 : 0;
  s.intensity = jointStereo && (request.modeExtension & 1) ? 1 : 0;

  const int crcBytes = request.crcPresent ? 2 : 0;
  const int headerBytes = 4 + crcBytes;
  BitReader reader;
  if (available > headerBytes) {
    bitReaderInit(reader, input + headerBytes, available - headerBytes);
  } else {
    bitReaderInit(reader, input, 0);
  }
  const bool lsf = s.lowSamplingFrequency != 0;
  const int slot = lsf ? s.granuleParity : 0;
  readLayer3SideInfo(reader, lsf, s.channels, s.midSide != 0, slot, s.sideInfo);

  const int sideInfoBytes = layer3SideInfoBytes(lsf, s.channels);
  const std::int32_t mainDataBytes = decoder.currentFrameLength - headerBytes - sideInfoBytes;
  if (mainDataBytes < 0) return;

  // Bit reservoir: compact when well filled, then append this frame's main data.
  const std::int32_t mainDataBegin = s.sideInfo.main_data_begin;
  if (s.reservoirBytes > kReservoirCompactAbove) {
    const std::int32_t keep = std::min(mainDataBegin, s.reservoirBytes);
    std::memmove(s.reservoir, s.reservoir + s.reservoirBytes - keep, std::size_t(keep));
    s.reservoirBytes = keep;
  }
  if (s.reservoirBytes + mainDataBytes > kReservoirBytes) return;  // cannot be held: dropped
  std::memcpy(s.reservoir + s.reservoirBytes, input + headerBytes + sideInfoBytes,
              std::size_t(mainDataBytes));
  const std::int32_t start = s.reservoirBytes - mainDataBegin;
  s.reservoirBytes += mainDataBytes;
  if (start < 0) return;  // reaches back before the data held: no PCM
  s.mainDataStart = start;

  std::int32_t bitOffset = start * 8;
  if (lsf) {
    decodeGranule(decoder, slot, 0, bitOffset, output);
    s.granuleParity ^= 1;
  } else {
    decodeGranule(decoder, 0, 0, bitOffset, output);
    decodeGranule(decoder, 1, 1, bitOffset, output + s.granuleOutputBytes);
  }
}

}  // namespace mpeg
