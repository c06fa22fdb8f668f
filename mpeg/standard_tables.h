// The constant tables of ISO/IEC 11172-3 and ISO/IEC 13818-3 that the
// decoder carries. Their values live in standard_tables.cpp, which
// tools/gen_mpeg_tables writes from checked table data; nothing here is
// computed.
#pragma once

#include <cstdint>

namespace mpeg {

// Sampling rates in Hz, [version - 1][sampling_frequency]; index 3 holds 0.
extern const std::int32_t kSampleRateHz[3][4];

// Bit rates in kbit/s, [3 * version + layer - 4][bitrate_index]; indices 0
// (free format) and 15 hold 0. MPEG-2.5 rows equal the MPEG-2 rows.
extern const std::int16_t kBitrateKbps[9][16];

// Layer III scale-factor band boundaries (frequency-line indices) of one
// sampling rate: band i spans [boundary[i], boundary[i + 1]).
struct ScaleFactorBands {
  std::int32_t sampleRateHz;
  std::int16_t longBoundary[23];   // ends at 576
  std::int16_t shortBoundary[14];  // per window, ends at 192
};
// In the order 44100, 48000, 32000, 22050, 24000, 16000, 11025, 12000,
// 8000 Hz: index 3 * (version - 1) + sampling_frequency.
extern const ScaleFactorBands kScaleFactorBands[9];

// One Huffman codeword: `length` bits, the code in the low bits of `bits`,
// most significant bit sent first. Sign bits are not part of it.
struct HuffmanCodeword {
  std::uint8_t length;
  std::uint32_t bits;
};

// Big-value table `number`: `dimension` x `dimension` codewords, index
// x * dimension + y. Dimension 0 is table 0 (all values 0, no bits);
// dimension -1 marks tables 4 and 14, which the standard does not use.
struct HuffmanTable {
  std::int32_t number;
  std::int32_t dimension;
  std::int32_t linbits;
  const HuffmanCodeword* codes;
};
extern const HuffmanTable kHuffmanTables[32];

// count1 tables A (count1table_select 0) and B (1), index 8v + 4w + 2x + y.
extern const HuffmanCodeword kCount1Codes[2][16];

// Pre-emphasis per long band (band 21 included, 0).
extern const std::uint8_t kPretab[22];
// First long band of each scfsi group, and the end (21).
extern const std::uint8_t kScfsiBandStart[5];
// MPEG-1 scalefac_compress -> (slen1, slen2).
extern const std::uint8_t kSlen[16][2];
// Low sampling frequencies: scale factors per partition,
// [table 0-5][long, short, mixed][partition]. Tables 3-5 serve the
// intensity-stereo right channel.
extern const std::uint8_t kLsfPartitionCounts[6][3][4];

// Synthesis window D[i] x 65536 (D is a multiple of 2^-16, so exact).
extern const std::int32_t kSynthesisWindowTimes65536[512];

// Layer II quantisation class: levels, bits per codeword, and whether three
// samples share one grouped codeword.
struct Layer2Class {
  std::int32_t levels;
  std::int32_t bits;
  std::int32_t grouped;
};
extern const Layer2Class kLayer2Classes[17];

// Layer II bit-allocation table: sblimit, nbal per subband and the class
// (index into kLayer2Classes, -1 for none) of each allocation value.
struct Layer2AllocationTable {
  std::int32_t sblimit;
  std::uint8_t nbal[32];
  std::int8_t classIndex[32][16];
};
// Tables B.2a, B.2b, B.2c, B.2d of ISO/IEC 11172-3 and B.1 of 13818-3.
extern const Layer2AllocationTable kLayer2AllocationTables[5];

// MPEG-1 Layer II table choice: [mode][sampling_frequency][bitrate_index]
// -> table 0-3 of kLayer2AllocationTables, or -1 for a combination the
// standard does not allow.
extern const std::int8_t kLayer2TableChoice[4][3][16];

}  // namespace mpeg
