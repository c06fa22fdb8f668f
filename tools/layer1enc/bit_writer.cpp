// Bit writing and the frame CRC of the Layer I test encoder.
#include "bit_writer.h"

namespace tempyra::layer1enc {

void BitWriter::write(uint32_t value, int bits) {
  for (int b = bits - 1; b >= 0; --b) {
    if (position_ / 8 >= data_.size()) return;  // frame full: the caller's budget is wrong
    if ((value >> b) & 1u) data_[position_ / 8] |= static_cast<uint8_t>(0x80u >> (position_ % 8));
    ++position_;
  }
}

uint16_t BitWriter::crc(std::size_t start, std::size_t bits, uint16_t initial) const {
  uint32_t crc = initial;
  for (std::size_t i = start; i < start + bits; ++i) {
    const uint32_t bit = (data_[i / 8] >> (7 - i % 8)) & 1u;
    const uint32_t top = (crc >> 15) & 1u;
    crc = (crc << 1) & 0xFFFFu;
    if (top ^ bit) crc ^= 0x8005u;
  }
  return static_cast<uint16_t>(crc);
}

}  // namespace tempyra::layer1enc
