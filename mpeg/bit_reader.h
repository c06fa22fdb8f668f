// Most-significant-bit-first reader over a byte range, used by every layer.
//
// Bytes are appended whole to a 64-bit accumulator; nothing at or past the
// end of the range is ever read. Bits taken beyond the end read as 0 and
// make readerOverrun true, so a damaged frame can be detected afterwards
// without any check inside the decoding loops.
#pragma once

#include <cstdint>
#include <cstring>

namespace mpeg {

struct BitReader {
  const std::uint8_t* data;   // first byte of the range
  std::int32_t length;        // bytes in the range
  std::int32_t offset;        // next byte to append to the accumulator
  std::uint64_t accumulator;  // valid bits at the top, zeros below them
  std::int32_t bitCount;      // valid bits; below 0 once bits were taken past the end
};

inline void bitReaderInit(BitReader& reader, const std::uint8_t* data, std::int32_t length) {
  reader.data = data;
  reader.length = length > 0 ? length : 0;
  reader.offset = 0;
  reader.accumulator = 0;
  reader.bitCount = 0;
}

// Appends whole bytes until more than 56 bits are held or the range ends.
inline void refillBits(BitReader& reader) {
  if (reader.bitCount > 56) return;
  if (reader.length - reader.offset >= 8) {
    // Eight bytes at once; the bytes beyond the counted ones land below
    // bitCount as the very bits they are, so a later refill that ORs them
    // in again changes nothing.
    std::uint8_t bytes[8];
    std::memcpy(bytes, reader.data + reader.offset, 8);
    std::uint64_t word = 0;
    for (int i = 0; i < 8; ++i) word = (word << 8) | bytes[i];
    reader.accumulator |= word >> reader.bitCount;
    const int taken = (63 - reader.bitCount) >> 3;
    reader.offset += taken;
    reader.bitCount += taken * 8;
    return;
  }
  while (reader.bitCount <= 56 && reader.offset < reader.length) {
    reader.accumulator |= std::uint64_t(reader.data[reader.offset++]) << (56 - reader.bitCount);
    reader.bitCount += 8;
  }
}

// The next `count` bits (0..32) without taking them.
inline std::uint32_t peekBits(BitReader& reader, int count) {
  if (reader.bitCount < count) refillBits(reader);
  return count == 0 ? 0u : std::uint32_t(reader.accumulator >> (64 - count));
}

// Takes `count` bits (0..32), most significant first.
inline std::uint32_t getBits(BitReader& reader, int count) {
  if (reader.bitCount < count) refillBits(reader);
  if (count == 0) return 0;
  const std::uint32_t value = std::uint32_t(reader.accumulator >> (64 - count));
  reader.accumulator <<= count;
  reader.bitCount -= count;
  return value;
}

// Bits taken since the start of the range.
inline std::int32_t bitPosition(const BitReader& reader) {
  return reader.offset * 8 - reader.bitCount;
}

// Drops `count` bits (any non-negative number).
inline void skipBits(BitReader& reader, std::int32_t count) {
  if (count < reader.bitCount) {
    reader.accumulator <<= count;
    reader.bitCount -= count;
    return;
  }
  // Past the held bits: move over whole bytes without reading them.
  std::int32_t target = bitPosition(reader) + count;
  reader.accumulator = 0;
  reader.bitCount = 0;
  if (target > reader.length * 8) {
    reader.offset = reader.length;
    reader.bitCount = reader.length * 8 - target;  // negative: overrun
    return;
  }
  reader.offset = target >> 3;
  const int rest = target & 7;
  if (rest != 0) getBits(reader, rest);
}

// True when bits were taken beyond the end of the range.
inline bool readerOverrun(const BitReader& reader) {
  return bitPosition(reader) > reader.length * 8;
}

}  // namespace mpeg
