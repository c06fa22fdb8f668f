// Layer III Huffman decoding of one granule and channel: the big-values
// region in up to three regions with their own tables (values 15 extended
// by linbits, sign bits after each non-zero value) and the count1 region of
// quadruples (tables A and B), limited to the decoder's line limit.
#pragma once

#include <cstdint>

#include "mpeg/bit_reader.h"
#include "mpeg/layer3_side_info.h"
#include "mpeg/standard_tables.h"

namespace mpeg {

// Decodes the spectral values of one granule and channel into `values`
// (576 entries, all written). The reader stands at the first Huffman bit;
// `part3End` is the reader position at which part2_3_length ends. Returns
// the number of lines that may be non-zero (nonzeroLines): 0 when the data
// ran past the end of the reader's range.
int decodeHuffmanValues(BitReader& reader, std::int32_t part3End, const GranuleChannelInfo& info,
                        const ScaleFactorBands& bands, int lineLimit, int longLimit, int shortLimit,
                        std::int32_t values[576]);

// The decoding tables built from the standard's codes: a first look-up of
// rootBits bits, longer codes continued in further tables. Entry layout: a
// leaf holds (value << 8) | bits taken; bit 31 marks a link to a further
// table ((offset << 5) | its index bits).
struct HuffmanLookup {
  static constexpr int kCapacity = 16384;
  std::uint32_t entries[kCapacity];
  std::int32_t used;
  std::int32_t rootOffset[32];
  std::int32_t rootBits[32];
  std::int32_t count1RootOffset[2];
  std::int32_t count1RootBits[2];
};

// Built once per process on first use.
const HuffmanLookup& huffmanLookup();

// Decodes one codeword of big-value table `table` (a table with codes) or
// count1 table (`count1` 0/1 when table < 0) from the reader; returns the
// packed value: x << 4 | y for pairs, 8v + 4w + 2x + y for quadruples.
std::uint32_t decodeHuffmanCodeword(BitReader& reader, int table, int count1);

}  // namespace mpeg
