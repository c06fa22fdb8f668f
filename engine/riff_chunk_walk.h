// RiffChunkWalk: the chunks of a RIFF file image, in file order.
//
// A RIFF file is a 12-byte header ("RIFF", a length, a form type such as
// "WAVE") followed by chunks: a four-character id, a 32-bit little-endian
// body length and the body, padded to an even length. The walk hands out
// every chunk whose eight-byte header lies wholly in the image, in any
// order and of any id, and steps over each body by its stated length; it
// ends at the end of the image. A body may claim more bytes than the image
// holds: callers cut it where they read it.
//
// This is the one chunk walk of the engine: the PCM wave finder and the
// audio source's search for MPEG audio in a WAVE file both use it.
#pragma once

#include <cstdint>

struct RiffChunk {
  const uint8_t* id = nullptr;  // the four id bytes
  uint32_t bodyOffset = 0;      // first body byte, from the start of the image
  uint32_t bodyBytes = 0;       // as the chunk states it (may run past the image)
  bool Is(const char* fourCharacters) const;
  // Body bytes that lie in an image of `size` bytes.
  uint32_t BytesIn(uint32_t size) const;
};

class RiffChunkWalk {
 public:
  // An image that is not a RIFF file of the given form type ("WAVE") gives
  // no chunks.
  RiffChunkWalk(const uint8_t* image, uint32_t size, const char* formType);

  // The next chunk; false at the end of the image.
  bool Next(RiffChunk* chunk);

 private:
  const uint8_t* image_;
  uint32_t size_;
  uint64_t at_;  // the next chunk header; 64 bits, as a stated length may be 4 GiB
};

// Little-endian numbers in chunk bodies.
uint16_t ReadLe16(const uint8_t* bytes);
uint32_t ReadLe32(const uint8_t* bytes);

// The format tag of a WAVE "fmt " chunk (1 PCM, 3 floating point, 0x50
// MPEG Layer I/II, 0x55 MPEG Layer III, ...), with WAVE_FORMAT_EXTENSIBLE
// resolved to its sub-format; 0 when the chunk is too short to hold one.
uint16_t WaveFormatTag(const uint8_t* image, uint32_t size, const RiffChunk& format);
