// The RIFF chunk walk. See riff_chunk_walk.h.
#include "engine/riff_chunk_walk.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint16_t kFormatExtensible = 0xFFFE;

}  // namespace

uint16_t ReadLe16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t ReadLe32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool RiffChunk::Is(const char* fourCharacters) const {
  return std::memcmp(id, fourCharacters, 4) == 0;
}

uint32_t RiffChunk::BytesIn(uint32_t size) const {
  return bodyOffset >= size ? 0 : std::min(bodyBytes, size - bodyOffset);
}

RiffChunkWalk::RiffChunkWalk(const uint8_t* image, uint32_t size, const char* formType)
    : image_(image), size_(size), at_(12) {
  if (size < 12 || std::memcmp(image, "RIFF", 4) != 0 || std::memcmp(image + 8, formType, 4) != 0)
    at_ = size;  // nothing to walk
}

bool RiffChunkWalk::Next(RiffChunk* chunk) {
  if (at_ + 8 > size_) return false;
  const uint8_t* header = image_ + at_;
  chunk->id = header;
  chunk->bodyOffset = static_cast<uint32_t>(at_ + 8);
  chunk->bodyBytes = ReadLe32(header + 4);
  at_ += 8 + uint64_t{chunk->bodyBytes} + (chunk->bodyBytes & 1);
  return true;
}

uint16_t WaveFormatTag(const uint8_t* image, uint32_t size, const RiffChunk& format) {
  if (format.BytesIn(size) < 2) return 0;
  const uint8_t* body = image + format.bodyOffset;
  const uint16_t tag = ReadLe16(body);
  // The sub-format GUID begins with the format tag it stands for.
  if (tag == kFormatExtensible && format.bodyBytes >= 40 && format.BytesIn(size) >= 26)
    return ReadLe16(body + 24);
  return tag;
}
