// Writes bit fields most significant bit first, to build test bitstreams.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct BitWriter {
  std::vector<std::uint8_t> bytes;
  int bitCount = 0;

  void put(std::uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i) {
      if (bitCount % 8 == 0) bytes.push_back(0);
      if ((value >> i) & 1) bytes.back() |= std::uint8_t(0x80 >> (bitCount % 8));
      ++bitCount;
    }
  }
  // A codeword given as its length and value.
  void code(int length, std::uint32_t bits) { put(bits, length); }
  void padTo(std::size_t size) {
    while (bytes.size() < size) bytes.push_back(0);
    bitCount = int(bytes.size()) * 8;
  }
};
