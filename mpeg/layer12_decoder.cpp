// Layer I and Layer II set-ups and frame decoding: bit allocation, scfsi and
// scale factors, the samples (grouped codes for 3, 5 and 9 levels in Layer
// II), requantisation and the polyphase synthesis of the frame's blocks.
//
// Requantisation: the code of a quantiser with Q levels becomes
// (code - (Q - 1) / 2) x 2 / Q x scale factor, which equals the standard's
// formulas; the scale factor of index i is 65536 x 2^(-i/3), which places
// the standard's full-scale sample at 32768 after the synthesis.
//
// The header part of a frame (allocation, scfsi, scale factors) is read in
// order with the bit reader. The samples follow in blocks (Layer I) or
// granules (Layer II) that all have the same layout, fixed by the
// allocation: each coded subband sits at the same bit offset in every block
// or granule. So the samples are read subband by subband at computed bit
// positions, each subband's quantiser chosen once for the frame.
#include "mpeg/layer12_decoder.h"

#include <algorithm>
#include <cstring>

#include "mpeg/bit_reader.h"
#include "mpeg/decoder_tables.h"
#include "mpeg/mpeg_decoder.h"
#include "mpeg/standard_tables.h"
#include "mpeg/synthesis.h"

namespace mpeg {

namespace {

// Index of ISO/IEC 13818-3's table in kLayer2AllocationTables: every MPEG-2
// and MPEG-2.5 Layer II stream uses it.
constexpr int kLsfAllocationTable = 4;

// The joint-stereo bound in allocation entries (subband x channel), by
// mode x 4 + mode_extension: joint stereo 4, 8, 12 or 16 subbands of two
// channels; the other modes bound at all 32 subbands.
constexpr std::int32_t kJointStereoBoundEntries[16] = {
    64, 64, 64, 64,  // stereo
    8,  16, 24, 32,  // joint stereo
    64, 64, 64, 64,  // dual channel
    32, 32, 32, 32,  // single channel
};

// Set-up steps both layers share: the subband limit (at most `subbandCap`),
// the channel count, the PCM size and a cleared subband-sample buffer.
void setupStream(MpegDecoder& decoder, const StreamInfo& info, int subbandCap, int blocks) {
  Layer12State& s = decoder.layer12;
  const std::int32_t fs = decoder.streamSampleRate;
  std::int32_t limit = fs > 0 ? (decoder.frequencyLimit * 64 + fs / 2) / fs : 0;
  limit = std::clamp<std::int32_t>(limit, 0, 31);
  s.subbandLimit = std::min<std::int32_t>(limit, subbandCap);
  s.channels = info.mode == 3 ? 1 : 2;
  s.outputBytes = blocks * 32 * s.channels * 2;
  s.silent = 0;
  std::memset(s.subbandSamples, 0, sizeof s.subbandSamples);
  std::memset(s.factor, 0, sizeof s.factor);
  std::memset(s.quantizer, 0, sizeof s.quantizer);
  std::memset(s.silentSubband, 1, sizeof s.silentSubband);
}

// The frame's joint-stereo bound in subbands of this stream, at most `sblimit`.
int jointStereoBound(const Layer12State& s, const FrameRequest& request, int sblimit) {
  const std::int32_t entries =
      kJointStereoBoundEntries[(request.mode & 3) * 4 + (request.modeExtension & 3)];
  return std::min<std::int32_t>(entries / s.channels, sblimit);
}

// A reader on the frame's bytes after the header and the CRC.
void initFrameReader(BitReader& reader, const FrameRequest& request, const std::uint8_t* input,
                     std::int32_t available) {
  const std::int32_t headerBytes = 4 + (request.crcPresent ? 2 : 0);
  if (available > headerBytes) {
    bitReaderInit(reader, input + headerBytes, available - headerBytes);
  } else {
    bitReaderInit(reader, input, 0);
  }
}

// The frame's PCM from its subband samples: each channel's blocks in order.
// Two channels are synthesised one after the other into their own buffers
// and then interleaved, left first.
void synthesizeFrame(MpegDecoder& decoder, int blocks, std::uint8_t* output) {
  Layer12State& s = decoder.layer12;
  if (s.channels == 1) {
    synthesizeChannel(decoder.synthesis, 0, s.subbandSamples[0][0], blocks, output, 1);
    return;
  }
  for (int ch = 0; ch < 2; ++ch) {
    synthesizeChannel(decoder.synthesis, ch, s.subbandSamples[ch][0], blocks,
                      reinterpret_cast<std::uint8_t*>(s.channelPcm[ch]), 1);
  }
  interleaveChannels(s.channelPcm[0], s.channelPcm[1], blocks * 32, output);
}

// The frame's sample bits: `blockBits` bits per block (Layer I) or granule
// (Layer II), twelve of them from bit `start` of `data`.
struct SampleSection {
  const std::uint8_t* data;
  std::int64_t start;
  std::int32_t blockBits;
};

// Places the sample section after the bits the reader has taken. It is read
// in place when the frame holds all of it with 8 bytes to spare (for whole
// 8-byte loads); otherwise from a copy of what the frame holds, padded with
// zeros, so that bits beyond the frame read as 0, as from the bit reader.
SampleSection locateSamples(const BitReader& reader, std::int32_t blockBits, std::uint8_t* padded) {
  const std::int64_t position = bitPosition(reader);
  const std::int64_t totalBits = 12 * std::int64_t(blockBits);  // at most kLayer12MaxSampleBits
  const std::int64_t endByte = (position + totalBits) / 8 + 8;  // beyond any byte a load touches
  if (endByte <= reader.length) return {reader.data, position, blockBits};
  const std::int64_t first = position / 8;
  const std::int64_t needed = endByte - first;
  const std::int64_t held = std::clamp<std::int64_t>(reader.length - first, 0, needed);
  if (held > 0) std::memcpy(padded, reader.data + first, std::size_t(held));
  std::memset(padded + held, 0, std::size_t(needed - held));
  return {padded, position - 8 * first, blockBits};
}

// `width` bits (1..48) at bit `position` of `data`, most significant first;
// the 8 bytes from position / 8 must be readable.
inline std::uint64_t bitsAt(const std::uint8_t* data, std::int64_t position, int width) {
  std::uint8_t bytes[8];
  std::memcpy(bytes, data + (position >> 3), 8);
  std::uint64_t word = 0;
  for (int i = 0; i < 8; ++i) word = (word << 8) | bytes[i];
  return (word << (position & 7)) >> (64 - width);
}

// One subband of one channel whose samples the frame codes.
struct CodedSubband {
  std::int32_t channel;
  std::int32_t subband;
  std::int32_t width;  // bits per block or granule: one codeword, or three ungrouped Layer II ones
  std::int32_t bitOffset;  // where they sit in each block or granule
  std::int32_t shared;     // 1 above the joint-stereo bound: the codes serve channel 1 as well
};

// The subbands below the limit that carry samples, in the order each block
// or granule holds them: below the bound each channel's own, from the bound
// up one for both. Subbands below the limit without samples get zero
// samples (cleared only when something was written there since they last
// were). Returns the count; `blockBits` receives the bits of one block or
// granule, the skipped subbands at and above the limit included.
// `codewordsPerBlock` is 1 for Layer I and 3 for Layer II (ungrouped codes).
int listCodedSubbands(Layer12State& s, int bound, int sblimit, int blocks, int codewordsPerBlock,
                      CodedSubband coded[64], std::int32_t& blockBits) {
  const int limit = s.subbandLimit;
  int count = 0;
  std::int32_t offset = 0;
  for (int sb = 0; sb < sblimit; ++sb) {
    const bool shared = sb >= bound;
    for (int ch = 0; ch < (shared ? 1 : s.channels); ++ch) {
      const Layer12Quantizer& q = s.quantizer[ch][sb];
      const std::int32_t width = q.grouping != 0 ? q.bits : codewordsPerBlock * q.bits;
      if (sb < limit) {
        const int lastChannel = shared ? s.channels - 1 : ch;
        if (width != 0) {
          coded[count++] = {ch, sb, width, offset, shared && s.channels == 2 ? 1 : 0};
          for (int c = ch; c <= lastChannel; ++c) s.silentSubband[c][sb] = 0;
        } else {
          for (int c = ch; c <= lastChannel; ++c) {
            if (s.silentSubband[c][sb]) continue;
            for (int block = 0; block < blocks; ++block) s.subbandSamples[c][block][sb] = 0.0f;
            s.silentSubband[c][sb] = 1;
          }
        }
      }
      offset += width;
    }
  }
  blockBits = offset;
  return count;
}

// The twelve blocks of one Layer I subband.
void readLayer1Subband(Layer12State& s, const CodedSubband& c, const SampleSection& section) {
  const Layer12Quantizer& q = s.quantizer[c.channel][c.subband];
  const float factor = s.factor[c.channel][0][c.subband];
  const float otherFactor = s.factor[1][0][c.subband];
  std::int64_t position = section.start + c.bitOffset;
  for (int block = 0; block < kLayer1Blocks; ++block, position += section.blockBits) {
    const float value = float(std::int32_t(bitsAt(section.data, position, c.width)) - q.offset);
    s.subbandSamples[c.channel][block][c.subband] = value * factor;
    if (c.shared) s.subbandSamples[1][block][c.subband] = value * otherFactor;
  }
}

// The three centred samples of one Layer II codeword group: a grouped
// codeword of 3, 5 or 9 levels split as the standard groups it (first
// sample in the least significant digit), or three ungrouped codewords of
// `bits` bits each.
template <int Grouping, int Bits>
inline void splitLayer2Codes(std::uint64_t word, std::int32_t offset, const DecoderTables& t,
                             std::int32_t v[3]) {
  if constexpr (Grouping == 3) {
    const std::int8_t* digits = t.grouping3[word & 31];
    v[0] = digits[0], v[1] = digits[1], v[2] = digits[2];
  } else if constexpr (Grouping == 5) {
    const std::int8_t* digits = t.grouping5[word & 127];
    v[0] = digits[0], v[1] = digits[1], v[2] = digits[2];
  } else if constexpr (Grouping == 9) {
    const std::int16_t* digits = t.grouping9[word & 1023];
    v[0] = digits[0], v[1] = digits[1], v[2] = digits[2];
  } else {
    constexpr std::uint64_t mask = (std::uint64_t(1) << Bits) - 1;
    v[0] = std::int32_t(word >> (2 * Bits)) - offset;
    v[1] = std::int32_t((word >> Bits) & mask) - offset;
    v[2] = std::int32_t(word & mask) - offset;
  }
}

// The twelve granules of one Layer II subband: three samples each, scaled
// by the factor of the granule's part. Instantiated per quantiser layout
// (grouping, or the bits of ungrouped codewords), so that the splitting
// shifts are constants.
template <int Grouping, int Bits>
void readLayer2Subband(Layer12State& s, const CodedSubband& c, const SampleSection& section,
                       const DecoderTables& t) {
  constexpr int width = Grouping == 3 ? 5 : Grouping == 5 ? 7 : Grouping == 9 ? 10 : 3 * Bits;
  const Layer12Quantizer& q = s.quantizer[c.channel][c.subband];
  const int sb = c.subband;
  std::int64_t position = section.start + c.bitOffset;
  for (int part = 0; part < 3; ++part) {
    const float factor = s.factor[c.channel][part][sb];
    const float otherFactor = s.factor[1][part][sb];
    for (int granule = 4 * part; granule < 4 * part + 4; ++granule, position += section.blockBits) {
      std::int32_t v[3];
      splitLayer2Codes<Grouping, Bits>(bitsAt(section.data, position, width), q.offset, t, v);
      float(*samples)[32] = s.subbandSamples[c.channel] + 3 * granule;
      for (int k = 0; k < 3; ++k) samples[k][sb] = float(v[k]) * factor;
      if (c.shared) {
        float(*other)[32] = s.subbandSamples[1] + 3 * granule;
        for (int k = 0; k < 3; ++k) other[k][sb] = float(v[k]) * otherFactor;
      }
    }
  }
}

// The subband readers by quantiser: index 3, 5, 9 for the grouped codes,
// 16 + bits for ungrouped codewords of 3..16 bits (the classes of the
// allocation tables).
using Layer2SubbandReader = void (*)(Layer12State&, const CodedSubband&, const SampleSection&,
                                     const DecoderTables&);
constexpr Layer2SubbandReader kLayer2SubbandReaders[33] = {
    nullptr,
    nullptr,
    nullptr,
    readLayer2Subband<3, 0>,
    nullptr,
    readLayer2Subband<5, 0>,
    nullptr,
    nullptr,
    nullptr,
    readLayer2Subband<9, 0>,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    readLayer2Subband<0, 3>,
    readLayer2Subband<0, 4>,
    readLayer2Subband<0, 5>,
    readLayer2Subband<0, 6>,
    readLayer2Subband<0, 7>,
    readLayer2Subband<0, 8>,
    readLayer2Subband<0, 9>,
    readLayer2Subband<0, 10>,
    readLayer2Subband<0, 11>,
    readLayer2Subband<0, 12>,
    readLayer2Subband<0, 13>,
    readLayer2Subband<0, 14>,
    readLayer2Subband<0, 15>,
    readLayer2Subband<0, 16>,
};

// Reads the scale-factor indices of one Layer II subband and channel for
// the three parts of the frame, as its scfsi codes them.
void readLayer2ScaleIndices(BitReader& reader, std::uint32_t scfsi, std::uint32_t index[3]) {
  switch (scfsi) {
    case 0:  // one for each part
      index[0] = getBits(reader, 6);
      index[1] = getBits(reader, 6);
      index[2] = getBits(reader, 6);
      break;
    case 1:  // the first for parts 0 and 1, the second for part 2
      index[0] = index[1] = getBits(reader, 6);
      index[2] = getBits(reader, 6);
      break;
    case 2:  // one for all three
      index[0] = index[1] = index[2] = getBits(reader, 6);
      break;
    default:  // the first for part 0, the second for parts 1 and 2
      index[0] = getBits(reader, 6);
      index[1] = index[2] = getBits(reader, 6);
      break;
  }
}

}  // namespace

int layer1Setup(MpegDecoder& decoder, const StreamInfo& info) {
  setupStream(decoder, info, 32, kLayer1Blocks);
  Layer12State& s = decoder.layer12;
  s.sblimit = 32;
  s.allocationTable = nullptr;
  return 1;
}

int layer2Setup(MpegDecoder& decoder, const StreamInfo& info) {
  Layer12State& s = decoder.layer12;
  int tableNumber = kLsfAllocationTable;
  if (info.version == 1) {
    const bool indicesValid = info.mode >= 0 && info.mode < 4 && info.sampleRateIndex >= 0 &&
                              info.sampleRateIndex < 3 && info.bitrateIndex >= 0 &&
                              info.bitrateIndex < 16;
    tableNumber =
        indicesValid ? kLayer2TableChoice[info.mode][info.sampleRateIndex][info.bitrateIndex] : -1;
  }
  if (tableNumber < 0) {
    // A combination ISO/IEC 11172-3 does not allow: no table fits, and
    // every frame of the stream decodes to silence.
    s.channels = info.mode == 3 ? 1 : 2;
    s.outputBytes = kLayer2Blocks * 32 * s.channels * 2;
    s.silent = 1;
    s.allocationTable = nullptr;
    s.subbandLimit = 0;
    s.sblimit = 0;
    return 0;
  }
  const Layer2AllocationTable& table = kLayer2AllocationTables[tableNumber];
  setupStream(decoder, info, table.sblimit, kLayer2Blocks);
  s.sblimit = table.sblimit;
  s.allocationTable = &table;
  return 1;
}

void layer1DecodeFrame(MpegDecoder& decoder, FrameRequest& request, const std::uint8_t* input,
                       std::int32_t available, std::uint8_t* output) {
  Layer12State& s = decoder.layer12;
  if (s.silent) {
    std::memset(output, 0, std::size_t(s.outputBytes));
    return;
  }
  const DecoderTables& t = decoderTables();
  BitReader reader;
  initFrameReader(reader, request, input, available);
  const int channels = s.channels;
  const int bound = jointStereoBound(s, request, 32);

  // Bit allocation: 4 bits per subband and channel below the bound, one
  // allocation for both channels from the bound up.
  std::uint32_t allocation[2][32];
  for (int sb = 0; sb < bound; ++sb) {
    for (int ch = 0; ch < channels; ++ch) allocation[ch][sb] = getBits(reader, 4);
  }
  for (int sb = bound; sb < 32; ++sb) allocation[0][sb] = allocation[1][sb] = getBits(reader, 4);

  // Scale factors of every allocated subband, each folded into the
  // subband's sample factor: allocation a codes 2^(a+1) - 1 levels in
  // a + 1 bits.
  for (int sb = 0; sb < 32; ++sb) {
    for (int ch = 0; ch < channels; ++ch) {
      Layer12Quantizer& q = s.quantizer[ch][sb];
      const std::uint32_t a = allocation[ch][sb];
      q.grouping = 0;
      if (a == 0) {
        q.bits = 0;
        q.offset = 0;
        s.factor[ch][0][sb] = 0.0f;
        continue;
      }
      q.bits = std::int32_t(a) + 1;
      q.offset = (1 << a) - 1;
      s.factor[ch][0][sb] = t.layer12ScaleFactor[getBits(reader, 6)] * t.layer1SampleFactor[a];
    }
  }

  // Samples of the subbands below the limit; those at and above it are
  // passed over.
  CodedSubband coded[64];
  std::int32_t blockBits = 0;
  const int count = listCodedSubbands(s, bound, 32, kLayer1Blocks, 1, coded, blockBits);
  const SampleSection section = locateSamples(reader, blockBits, s.paddedSamples);
  for (int i = 0; i < count; ++i) readLayer1Subband(s, coded[i], section);

  synthesizeFrame(decoder, kLayer1Blocks, output);
}

void layer2DecodeFrame(MpegDecoder& decoder, FrameRequest& request, const std::uint8_t* input,
                       std::int32_t available, std::uint8_t* output) {
  Layer12State& s = decoder.layer12;
  if (s.silent || s.allocationTable == nullptr) {
    std::memset(output, 0, std::size_t(s.outputBytes));
    return;
  }
  const DecoderTables& t = decoderTables();
  const Layer2AllocationTable& table = *s.allocationTable;
  BitReader reader;
  initFrameReader(reader, request, input, available);
  const int channels = s.channels;
  const int sblimit = s.sblimit;
  const int bound = jointStereoBound(s, request, sblimit);

  // Bit allocation: nbal bits per subband and channel below the bound, one
  // allocation for both channels from the bound up. A value the table
  // gives no quantiser for counts as no allocation.
  std::uint32_t allocation[2][32];
  for (int sb = 0; sb < sblimit; ++sb) {
    const int nbal = table.nbal[sb];
    if (sb < bound) {
      for (int ch = 0; ch < channels; ++ch) allocation[ch][sb] = getBits(reader, nbal);
    } else {
      allocation[0][sb] = allocation[1][sb] = getBits(reader, nbal);
    }
    for (int ch = 0; ch < channels; ++ch) {
      if (table.classIndex[sb][allocation[ch][sb] & 15] < 0) allocation[ch][sb] = 0;
    }
  }

  // scfsi of every allocated subband.
  std::uint32_t scfsi[2][32];
  for (int sb = 0; sb < sblimit; ++sb) {
    for (int ch = 0; ch < channels; ++ch)
      scfsi[ch][sb] = allocation[ch][sb] != 0 ? getBits(reader, 2) : 0;
  }

  // Scale factors of the three parts of four granules each, each folded
  // into the subband's sample factor of its part.
  for (int sb = 0; sb < sblimit; ++sb) {
    for (int ch = 0; ch < channels; ++ch) {
      Layer12Quantizer& q = s.quantizer[ch][sb];
      const std::uint32_t a = allocation[ch][sb];
      if (a == 0) {
        q.bits = 0;
        q.grouping = 0;
        q.offset = 0;
        s.factor[ch][0][sb] = s.factor[ch][1][sb] = s.factor[ch][2][sb] = 0.0f;
        continue;
      }
      std::uint32_t index[3];
      readLayer2ScaleIndices(reader, scfsi[ch][sb], index);
      const int classIndex = table.classIndex[sb][a];
      const Layer2Class& quantizerClass = kLayer2Classes[classIndex];
      q.bits = quantizerClass.bits;
      q.grouping = quantizerClass.grouped ? quantizerClass.levels : 0;
      q.offset = (quantizerClass.levels - 1) / 2;
      const float levelFactor = t.layer2QuantizerFactor[classIndex];
      for (int part = 0; part < 3; ++part)
        s.factor[ch][part][sb] = t.layer12ScaleFactor[index[part]] * levelFactor;
    }
  }

  // Samples of the subbands below the limit; those at and above it are
  // passed over.
  CodedSubband coded[64];
  std::int32_t granuleBits = 0;
  const int count = listCodedSubbands(s, bound, sblimit, kLayer2Blocks, 3, coded, granuleBits);
  const SampleSection section = locateSamples(reader, granuleBits, s.paddedSamples);
  for (int i = 0; i < count; ++i) {
    const Layer12Quantizer& q = s.quantizer[coded[i].channel][coded[i].subband];
    kLayer2SubbandReaders[q.grouping != 0 ? q.grouping : 16 + q.bits](s, coded[i], section, t);
  }

  synthesizeFrame(decoder, kLayer2Blocks, output);
}

}  // namespace mpeg
