// Layer III Huffman decoding with table look-ups built from the standard's
// codewords.
#include "mpeg/layer3_huffman.h"

#include <algorithm>
#include <cstring>

namespace mpeg {

namespace {

constexpr int kLookupBits = 8;  // index bits of each look-up table at most
constexpr std::uint32_t kLinkFlag = 0x80000000u;

struct Codeword {
  std::uint32_t bits;
  int length;
  std::uint32_t value;
};

// Builds the look-up for the codewords that share the `prefixLength` bits
// already consumed; `codes` holds only those, their remaining bits in the
// low `length - prefixLength` bits. Returns the table's offset.
int buildLevel(HuffmanLookup& lookup, const Codeword* codes, int count, int prefixLength,
               int width) {
  const int offset = lookup.used;
  const int size = 1 << width;
  if (offset + size > HuffmanLookup::kCapacity) return -1;
  lookup.used += size;
  // Unreachable entries (none in complete codes) decode as value 0.
  for (int i = 0; i < size; ++i) lookup.entries[offset + i] = std::uint32_t(width);

  // Codewords that end within this level fill all entries they prefix.
  for (int c = 0; c < count; ++c) {
    const int rest = codes[c].length - prefixLength;
    if (rest > width) continue;
    const std::uint32_t remaining = codes[c].bits & ((1u << rest) - 1);
    const std::uint32_t first = remaining << (width - rest);
    for (std::uint32_t i = 0; i < (1u << (width - rest)); ++i)
      lookup.entries[offset + first + i] = (codes[c].value << 8) | std::uint32_t(rest);
  }
  // Longer codewords continue in a further table per first `width` bits.
  for (std::uint32_t index = 0; index < std::uint32_t(size); ++index) {
    Codeword group[256];
    int groupCount = 0, longest = 0;
    for (int c = 0; c < count; ++c) {
      const int rest = codes[c].length - prefixLength;
      if (rest <= width) continue;
      if (((codes[c].bits >> (rest - width)) & std::uint32_t(size - 1)) != index) continue;
      group[groupCount++] = codes[c];
      longest = std::max(longest, rest - width);
    }
    if (groupCount == 0) continue;
    const int subWidth = std::min(longest, kLookupBits);
    const int subOffset = buildLevel(lookup, group, groupCount, prefixLength + width, subWidth);
    if (subOffset < 0) return -1;
    lookup.entries[offset + index] =
        kLinkFlag | (std::uint32_t(subOffset) << 5) | std::uint32_t(subWidth);
  }
  return offset;
}

void buildTable(HuffmanLookup& lookup, const HuffmanCodeword* words, int count, bool quadruples,
                int dimension, std::int32_t& rootOffset, std::int32_t& rootBits) {
  Codeword codes[256];
  int longest = 0;
  for (int i = 0; i < count; ++i) {
    codes[i].bits = words[i].bits;
    codes[i].length = words[i].length;
    codes[i].value =
        quadruples ? std::uint32_t(i) : std::uint32_t(((i / dimension) << 4) | (i % dimension));
    longest = std::max(longest, int(words[i].length));
  }
  rootBits = std::min(longest, kLookupBits);
  rootOffset = buildLevel(lookup, codes, count, 0, rootBits);
}

HuffmanLookup* buildLookup() {
  static HuffmanLookup lookup;  // filled once, under the guard of huffmanLookup()'s static
  lookup.used = 0;
  for (int t = 0; t < 32; ++t) {
    lookup.rootOffset[t] = -1;
    lookup.rootBits[t] = 0;
    const HuffmanTable& table = kHuffmanTables[t];
    if (table.dimension <= 0) continue;
    // Tables that share codewords share the look-up.
    for (int earlier = 0; earlier < t; ++earlier) {
      if (kHuffmanTables[earlier].codes == table.codes) {
        lookup.rootOffset[t] = lookup.rootOffset[earlier];
        lookup.rootBits[t] = lookup.rootBits[earlier];
      }
    }
    if (lookup.rootOffset[t] >= 0) continue;
    buildTable(lookup, table.codes, table.dimension * table.dimension, false, table.dimension,
               lookup.rootOffset[t], lookup.rootBits[t]);
  }
  for (int c = 0; c < 2; ++c)
    buildTable(lookup, kCount1Codes[c], 16, true, 0, lookup.count1RootOffset[c],
               lookup.count1RootBits[c]);
  return &lookup;
}

// The reader's accumulator and count held in locals while a region is
// decoded, so that the stores of decoded values cannot be taken by the
// compiler as changing them.
struct LocalBits {
  std::uint64_t accumulator;
  std::int32_t bitCount;

  explicit LocalBits(const BitReader& reader)
      : accumulator(reader.accumulator), bitCount(reader.bitCount) {}
  void load(const BitReader& reader) {
    accumulator = reader.accumulator;
    bitCount = reader.bitCount;
  }
  void store(BitReader& reader) const {
    reader.accumulator = accumulator;
    reader.bitCount = bitCount;
  }
  // Takes `count` (0..31) bits.
  std::uint32_t take(int count) {
    const std::uint32_t value = std::uint32_t((accumulator >> 1) >> (63 - count));
    accumulator <<= count;
    bitCount -= count;
    return value;
  }
};

// Decodes one codeword starting at the top of the accumulator, which holds
// enough bits (or zeros past the end of the data).
inline std::uint32_t lookupCodeword(const HuffmanLookup& lookup, LocalBits& bits, int rootOffset,
                                    int rootBits) {
  const std::uint32_t* table = lookup.entries + rootOffset;
  int width = rootBits;
  std::uint32_t entry = table[bits.accumulator >> (64 - width)];
  while (entry & kLinkFlag) {
    bits.accumulator <<= width;
    bits.bitCount -= width;
    width = int(entry & 31);
    table = lookup.entries + ((entry & ~kLinkFlag) >> 5);
    entry = table[bits.accumulator >> (64 - width)];
  }
  const int length = int(entry & 31);
  bits.accumulator <<= length;
  bits.bitCount -= length;
  return entry >> 8;
}

// The four values of a count1 quadruple from its code (8v + 4w + 2x + y)
// and the sign bits that follow it, one per non-zero value, v's first.
struct Count1Values {
  std::int8_t values[16][16][4];  // [quadruple][sign bits]
};
constexpr Count1Values makeCount1Values() {
  Count1Values table{};
  for (int quad = 0; quad < 16; ++quad) {
    int count = 0;
    for (int k = 0; k < 4; ++k) count += (quad >> k) & 1;
    for (int signs = 0; signs < (1 << count); ++signs) {
      int next = count - 1;  // the bit of the next sign, most significant first
      for (int k = 0; k < 4; ++k) {
        if (((quad >> (3 - k)) & 1) == 0) continue;
        table.values[quad][signs][k] = std::int8_t(((signs >> next) & 1) ? -1 : 1);
        --next;
      }
    }
  }
  return table;
}
constexpr Count1Values kCount1Values = makeCount1Values();

// -value when `negative` is 1, value when it is 0.
inline std::int32_t applySign(std::int32_t value, std::uint32_t negative) {
  const std::int32_t mask = -std::int32_t(negative);
  return (value ^ mask) - mask;
}

// Decodes pairs of lines [begin, end) with big-value table `table`.
// Returns false when the reader ran past the end of its data.
bool decodeRegion(const HuffmanLookup& lookup, BitReader& reader, int table, int begin, int end,
                  std::int32_t* values) {
  const HuffmanTable& codeTable = kHuffmanTables[table];
  if (codeTable.dimension <= 0) {
    // Table 0, and the unused tables 4 and 14: no bits, all zero.
    for (int line = begin; line < end; ++line) values[line] = 0;
    return true;
  }
  const int rootOffset = lookup.rootOffset[table], rootBits = lookup.rootBits[table];
  const int linbits = codeTable.linbits;
  LocalBits bits(reader);
  for (int line = begin; line < end; line += 2) {
    // One pair takes at most 19 + 2 * (13 + 1) bits; a refill holds 57.
    if (bits.bitCount < 48) {
      bits.store(reader);
      refillBits(reader);
      bits.load(reader);
    }
    const std::uint32_t pair = lookupCodeword(lookup, bits, rootOffset, rootBits);
    std::int32_t x = std::int32_t(pair >> 4), y = std::int32_t(pair & 15);
    if (linbits != 0) {
      if (x == 15) x += std::int32_t(bits.take(linbits));
      if (x != 0) x = applySign(x, bits.take(1));
      if (y == 15) y += std::int32_t(bits.take(linbits));
      if (y != 0) y = applySign(y, bits.take(1));
    } else {
      // Both sign bits at once: x's first, then y's.
      const int xSigned = x != 0, ySigned = y != 0;
      const std::uint32_t signs = bits.take(xSigned + ySigned);
      y = applySign(y, signs & std::uint32_t(ySigned));
      x = applySign(x, (signs >> ySigned) & 1u);
    }
    values[line] = x;
    values[line + 1] = y;
    if (bits.bitCount < 0) {
      bits.store(reader);
      return false;
    }
  }
  bits.store(reader);
  return true;
}

}  // namespace

const HuffmanLookup& huffmanLookup() {
  static const HuffmanLookup* const lookup = buildLookup();
  return *lookup;
}

std::uint32_t decodeHuffmanCodeword(BitReader& reader, int table, int count1) {
  const HuffmanLookup& lookup = huffmanLookup();
  refillBits(reader);
  LocalBits bits(reader);
  const std::uint32_t value =
      table >= 0 ? lookupCodeword(lookup, bits, lookup.rootOffset[table], lookup.rootBits[table])
                 : lookupCodeword(lookup, bits, lookup.count1RootOffset[count1],
                                  lookup.count1RootBits[count1]);
  bits.store(reader);
  return value;
}

int decodeHuffmanValues(BitReader& reader, std::int32_t part3End, const GranuleChannelInfo& info,
                        const ScaleFactorBands& bands, int lineLimit, int longLimit, int shortLimit,
                        std::int32_t values[576]) {
  const HuffmanLookup& lookup = huffmanLookup();

  const int bigValuesEnd = std::min(2 * info.big_values, lineLimit);
  const int region1Start =
      std::min<int>(bands.longBoundary[std::min(info.region0_count + 1, 22)], bigValuesEnd);
  const int region2Start = std::min<int>(
      bands.longBoundary[std::min(info.region0_count + info.region1_count + 2, 22)], bigValuesEnd);

  bool inside =
      decodeRegion(lookup, reader, info.table_select[0], 0, region1Start, values) &&
      decodeRegion(lookup, reader, info.table_select[1], region1Start, region2Start, values) &&
      decodeRegion(lookup, reader, info.table_select[2], region2Start, bigValuesEnd, values);
  if (!inside || readerOverrun(reader)) {
    std::memset(values, 0, 576 * sizeof(std::int32_t));
    return 0;
  }

  // count1 region: quadruples while part2_3_length has bits and lines remain.
  int nonzeroLines = bigValuesEnd;
  int line = bigValuesEnd;
  const int count1 = info.count1table_select;
  const int rootOffset = lookup.count1RootOffset[count1], rootBits = lookup.count1RootBits[count1];
  // Bits left in part2_3_length are counted down locally; they are the
  // same as part3End - bitPosition(reader).
  LocalBits bits(reader);
  std::int32_t left = part3End - bitPosition(reader);
  while (line < lineLimit && line + 4 <= 576) {
    if (left <= 0 || (count1 == 1 && left < 4)) break;
    if (bits.bitCount < 16) {
      bits.store(reader);
      refillBits(reader);
      bits.load(reader);
    }
    const std::int32_t before = bits.bitCount;
    const std::uint32_t quad = lookupCodeword(lookup, bits, rootOffset, rootBits);
    // The sign bits of the non-zero values, v's first.
    const int count = int((0x4332322132212110ull >> (4 * quad)) & 15);  // set bits of quad
    const std::int8_t* q = kCount1Values.values[quad][bits.take(count)];
    left -= before - bits.bitCount;
    if (left < 0) break;  // ran past part2_3_length: four zeros
    values[line] = q[0];
    values[line + 1] = q[1];
    values[line + 2] = q[2];
    values[line + 3] = q[3];
    if (quad != 0) nonzeroLines = (quad & 3) != 0 ? line + 4 : line + 2;
    line += 4;
  }
  bits.store(reader);
  if (readerOverrun(reader)) {
    std::memset(values, 0, 576 * sizeof(std::int32_t));
    return 0;
  }

  nonzeroLines = std::min(nonzeroLines, info.block_type == 2 ? shortLimit : longLimit);
  std::memset(values + nonzeroLines, 0, (576 - nonzeroLines) * sizeof(std::int32_t));
  return nonzeroLines;
}

}  // namespace mpeg
