// Comparison of a file and its rewritten copy. See audio_comparison.h.
#include "tags/audio_comparison.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/file_descriptor.h"

namespace {

std::optional<uint64_t> SizeOf(int descriptor) {
  const std::optional<DescriptorStatus> status = StatusOfDescriptor(descriptor);
  if (!status) return std::nullopt;
  return status->size;
}

bool SameRange(int first, uint64_t firstOffset, int second, uint64_t secondOffset,
               uint64_t length) {
  constexpr size_t kBlock = 1 << 16;
  std::vector<char> a(kBlock), b(kBlock);
  while (length > 0) {
    const size_t n = length < kBlock ? static_cast<size_t>(length) : kBlock;
    if (!ReadExactlyAt(first, a.data(), n, firstOffset) ||
        !ReadExactlyAt(second, b.data(), n, secondOffset) ||
        std::memcmp(a.data(), b.data(), n) != 0)
      return false;
    firstOffset += n;
    secondOffset += n;
    length -= n;
  }
  return true;
}

struct Chunk {
  char id[4];
  uint64_t offset;  // of the chunk's header
  uint64_t size;    // header, data and pad byte
};

// The chunks of a RIFF WAVE file in order, or nothing when it is not one or
// a chunk runs past the end of the file.
std::optional<std::vector<Chunk>> WaveChunks(int descriptor) {
  const std::optional<uint64_t> fileSize = SizeOf(descriptor);
  unsigned char header[12];
  if (!fileSize || !ReadExactlyAt(descriptor, header, sizeof header, 0) ||
      std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0)
    return std::nullopt;
  const uint64_t riffEnd = std::min<uint64_t>(
      *fileSize, 8 + (header[4] | header[5] << 8 | header[6] << 16 | uint64_t{header[7]} << 24));
  std::vector<Chunk> chunks;
  uint64_t offset = 12;
  while (offset + 8 <= riffEnd) {
    unsigned char chunkHeader[8];
    if (!ReadExactlyAt(descriptor, chunkHeader, sizeof chunkHeader, offset)) return std::nullopt;
    const uint64_t dataSize = chunkHeader[4] | chunkHeader[5] << 8 | chunkHeader[6] << 16 |
                              uint64_t{chunkHeader[7]} << 24;
    Chunk chunk{};
    std::memcpy(chunk.id, chunkHeader, 4);
    chunk.offset = offset;
    chunk.size = std::min(8 + dataSize + (dataSize & 1), *fileSize - offset);
    chunks.push_back(chunk);
    offset += chunk.size;
  }
  return chunks;
}

bool IsId3Chunk(const Chunk& chunk) {
  return std::memcmp(chunk.id, "id3 ", 4) == 0 || std::memcmp(chunk.id, "ID3 ", 4) == 0;
}

}  // namespace

bool SameTail(int first, int second, uint64_t length) {
  const std::optional<uint64_t> firstSize = SizeOf(first), secondSize = SizeOf(second);
  if (!firstSize || !secondSize || *firstSize < length || *secondSize < length) return false;
  return SameRange(first, *firstSize - length, second, *secondSize - length, length);
}

bool SameWaveChunksApartFromId3(int first, int second) {
  const std::optional<std::vector<Chunk>> a = WaveChunks(first), b = WaveChunks(second);
  if (!a || !b) return false;
  std::vector<Chunk> keptA, keptB;
  for (const Chunk& chunk : *a)
    if (!IsId3Chunk(chunk)) keptA.push_back(chunk);
  for (const Chunk& chunk : *b)
    if (!IsId3Chunk(chunk)) keptB.push_back(chunk);
  if (keptA.size() != keptB.size()) return false;
  for (size_t i = 0; i < keptA.size(); ++i) {
    if (std::memcmp(keptA[i].id, keptB[i].id, 4) != 0 || keptA[i].size != keptB[i].size ||
        !SameRange(first, keptA[i].offset, second, keptB[i].offset, keptA[i].size))
      return false;
  }
  return true;
}
