// Comparison of a file and its rewritten copy. See audio_comparison.h.
#include "tags/audio_comparison.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
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

uint64_t LittleEndian32(const unsigned char* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | uint64_t{p[3]} << 24;
}

uint64_t BigEndian32(const unsigned char* p) {
  return uint64_t{p[0]} << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

// The chunks of a RIFF WAVE file (little-endian sizes) or an AIFF file
// (FORM, big-endian sizes) in order, or nothing when it is not one of
// `forms` or a chunk runs past the end of the file.
std::optional<std::vector<Chunk>> Chunks(int descriptor, const char* container,
                                         std::initializer_list<const char*> forms, bool bigEndian) {
  const std::optional<uint64_t> fileSize = SizeOf(descriptor);
  unsigned char header[12];
  if (!fileSize || !ReadExactlyAt(descriptor, header, sizeof header, 0) ||
      std::memcmp(header, container, 4) != 0)
    return std::nullopt;
  if (std::none_of(forms.begin(), forms.end(),
                   [&](const char* form) { return std::memcmp(header + 8, form, 4) == 0; }))
    return std::nullopt;
  const auto size32 = [&](const unsigned char* p) {
    return bigEndian ? BigEndian32(p) : LittleEndian32(p);
  };
  const uint64_t formEnd = std::min<uint64_t>(*fileSize, 8 + size32(header + 4));
  std::vector<Chunk> chunks;
  uint64_t offset = 12;
  while (offset + 8 <= formEnd) {
    unsigned char chunkHeader[8];
    if (!ReadExactlyAt(descriptor, chunkHeader, sizeof chunkHeader, offset)) return std::nullopt;
    const uint64_t dataSize = size32(chunkHeader + 4);
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

bool SameChunksApartFromId3(int first, int second, const std::optional<std::vector<Chunk>>& a,
                            const std::optional<std::vector<Chunk>>& b) {
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

// Where a FLAC file's audio frames begin: after any ID3v2 tag, the "fLaC"
// marker and the metadata blocks up to the one marked last.
std::optional<uint64_t> FlacFramesStart(int descriptor) {
  const std::optional<uint64_t> fileSize = SizeOf(descriptor);
  unsigned char head[10];
  uint64_t offset = 0;
  if (!fileSize || !ReadExactlyAt(descriptor, head, sizeof head, 0)) return std::nullopt;
  if (std::memcmp(head, "ID3", 3) == 0) {
    uint64_t size = 0;
    for (int i = 6; i < 10; ++i) size = size << 7 | (head[i] & 0x7F);
    offset = 10 + size + ((head[5] & 0x10) != 0 ? 10 : 0);
  }
  if (!ReadExactlyAt(descriptor, head, 4, offset) || std::memcmp(head, "fLaC", 4) != 0)
    return std::nullopt;
  offset += 4;
  for (;;) {
    if (!ReadExactlyAt(descriptor, head, 4, offset)) return std::nullopt;
    offset += 4 + (uint64_t{head[1]} << 16 | head[2] << 8 | head[3]);
    if (offset > *fileSize) return std::nullopt;
    if ((head[0] & 0x80) != 0) return offset;
  }
}

// Every packet of an Ogg file's pages, in order (the pages of every
// stream in the file, as they come); nothing when a page is broken.
std::optional<std::vector<std::string>> OggPackets(int descriptor) {
  const std::optional<uint64_t> fileSize = SizeOf(descriptor);
  if (!fileSize) return std::nullopt;
  std::vector<std::string> packets;
  std::string packet;
  uint64_t offset = 0;
  while (offset < *fileSize) {
    unsigned char header[27];
    unsigned char lacing[255];
    if (!ReadExactlyAt(descriptor, header, sizeof header, offset) ||
        std::memcmp(header, "OggS", 4) != 0 ||
        !ReadExactlyAt(descriptor, lacing, header[26], offset + 27))
      return std::nullopt;
    uint64_t body = offset + 27 + header[26];
    for (unsigned i = 0; i < header[26]; ++i) {
      std::string segment(lacing[i], '\0');
      if (!ReadExactlyAt(descriptor, segment.data(), segment.size(), body)) return std::nullopt;
      body += lacing[i];
      packet += segment;
      if (lacing[i] < 255) {
        packets.push_back(std::move(packet));
        packet.clear();
      }
    }
    offset = body;
  }
  if (!packet.empty()) packets.push_back(std::move(packet));
  return packets;
}

// The offsets and lengths of an MP4 file's top-level "mdat" boxes' bodies.
std::optional<std::vector<std::pair<uint64_t, uint64_t>>> MediaData(int descriptor) {
  const std::optional<uint64_t> fileSize = SizeOf(descriptor);
  if (!fileSize) return std::nullopt;
  std::vector<std::pair<uint64_t, uint64_t>> boxes;
  uint64_t offset = 0;
  while (offset + 8 <= *fileSize) {
    unsigned char header[16];
    if (!ReadExactlyAt(descriptor, header, 8, offset)) return std::nullopt;
    uint64_t size = BigEndian32(header);
    uint64_t headerSize = 8;
    if (size == 1) {
      if (!ReadExactlyAt(descriptor, header + 8, 8, offset + 8)) return std::nullopt;
      size = BigEndian32(header + 8) << 32 | BigEndian32(header + 12);
      headerSize = 16;
    } else if (size == 0) {
      size = *fileSize - offset;
    }
    if (size < headerSize || offset + size > *fileSize) return std::nullopt;
    if (std::memcmp(header + 4, "mdat", 4) == 0)
      boxes.emplace_back(offset + headerSize, size - headerSize);
    offset += size;
  }
  return boxes;
}

}  // namespace

bool SameTail(int first, int second, uint64_t length) {
  const std::optional<uint64_t> firstSize = SizeOf(first), secondSize = SizeOf(second);
  if (!firstSize || !secondSize || *firstSize < length || *secondSize < length) return false;
  return SameRange(first, *firstSize - length, second, *secondSize - length, length);
}

bool SameWaveChunksApartFromId3(int first, int second) {
  return SameChunksApartFromId3(first, second, Chunks(first, "RIFF", {"WAVE"}, false),
                                Chunks(second, "RIFF", {"WAVE"}, false));
}

bool SameAiffChunksApartFromId3(int first, int second) {
  return SameChunksApartFromId3(first, second, Chunks(first, "FORM", {"AIFF", "AIFC"}, true),
                                Chunks(second, "FORM", {"AIFF", "AIFC"}, true));
}

bool SameFlacFrames(int first, int second) {
  const std::optional<uint64_t> a = FlacFramesStart(first), b = FlacFramesStart(second);
  const std::optional<uint64_t> sizeA = SizeOf(first), sizeB = SizeOf(second);
  if (!a || !b || !sizeA || !sizeB || *sizeA - *a != *sizeB - *b) return false;
  return SameRange(first, *a, second, *b, *sizeA - *a);
}

bool SameOggPacketsApartFromComments(int first, int second) {
  std::optional<std::vector<std::string>> a = OggPackets(first), b = OggPackets(second);
  if (!a || !b || a->size() != b->size() || a->size() < 2) return false;
  (*a)[1].clear();
  (*b)[1].clear();
  return *a == *b;
}

bool SameMp4MediaData(int first, int second) {
  const auto a = MediaData(first), b = MediaData(second);
  if (!a || !b || a->empty() || a->size() != b->size()) return false;
  for (size_t i = 0; i < a->size(); ++i) {
    if ((*a)[i].second != (*b)[i].second ||
        !SameRange(first, (*a)[i].first, second, (*b)[i].first, (*a)[i].second))
      return false;
  }
  return true;
}
