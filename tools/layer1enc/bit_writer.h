// Writes a frame bit by bit, most significant bit first, and computes the
// frame CRC: CRC-16 with generator x^16 + x^15 + x^2 + 1 (0x8005), start
// value 0xFFFF, over the given bits.
#pragma once

#include <cstdint>
#include <vector>

namespace tempyra::layer1enc {

class BitWriter {
 public:
  explicit BitWriter(std::size_t bytes) : data_(bytes, 0) {}

  void write(uint32_t value, int bits);
  std::size_t position() const { return position_; }
  std::vector<uint8_t>& bytes() { return data_; }

  // CRC of `bits` bits starting at bit position `start`.
  uint16_t crc(std::size_t start, std::size_t bits, uint16_t initial = 0xFFFF) const;

 private:
  std::vector<uint8_t> data_;
  std::size_t position_ = 0;
};

}  // namespace tempyra::layer1enc
