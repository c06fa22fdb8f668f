// Signatures of formats that are not MPEG audio. See foreign_format.h.
#include "engine/foreign_format.h"

#include <cstring>

namespace {

struct Signature {
  uint32_t offset;
  const char* bytes;
  uint32_t length;
  const char* name;
};

// Literal signatures; longer and more specific ones first.
const Signature kSignatures[] = {
    {0, "fLaC", 4, "FLAC"},
    {0, "OggS", 4, "Ogg"},
    {0, "RF64", 4, "RF64"},
    {0, "BW64", 4, "BW64"},
    {4, "ftyp", 4, "MP4"},
    {0, "\x1A\x45\xDF\xA3", 4, "Matroska/WebM"},
    {0, "\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16, "ASF/WMA"},
    {0, "MAC ", 4, "Monkey's Audio"},
    {0, "wvpk", 4, "WavPack"},
    {0, "MPCK", 4, "Musepack"},
    {0, "MP+", 3, "Musepack"},
    {0, "TTA1", 4, "TTA"},
    {0, ".snd", 4, "Sun audio"},
    {0, "caff", 4, "Core Audio"},
    {0, "MThd", 4, "MIDI"},
    {0, "#!AMR", 5, "AMR"},
    {0, "\x00\x00\x01\xBA", 4, "MPEG program stream"},
    {0, "\x00\x00\x01\xB3", 4, "MPEG video"},
    {0, "\x89PNG\r\n\x1A\n", 8, "PNG image"},
    {0, "\xFF\xD8\xFF", 3, "JPEG image"},
    {0, "GIF8", 4, "GIF image"},
    {0, "%PDF", 4, "PDF document"},
    {0, "PK\x03\x04", 4, "ZIP archive"},
};

bool Has(const uint8_t* bytes, uint32_t size, uint32_t offset, const char* text, uint32_t length) {
  return size >= offset + length && std::memcmp(bytes + offset, text, length) == 0;
}

// An ADTS header: 12 sync bits and the layer bits 00, which MPEG audio
// reserves; its 13-bit frame length (at least the 7-byte header).
bool AdtsHeader(const uint8_t* p, uint32_t left, uint32_t* frameLength) {
  if (left < 7 || p[0] != 0xFF || (p[1] & 0xF6) != 0xF0) return false;
  *frameLength = ((p[3] & 3u) << 11) | (uint32_t{p[4]} << 3) | (p[5] >> 5);
  return *frameLength >= 7;
}

// AAC in ADTS frames: a header whose frame is followed by another header,
// or by the end of the file.
bool IsAdts(const uint8_t* bytes, uint32_t size) {
  uint32_t length = 0, next = 0;
  if (!AdtsHeader(bytes, size, &length)) return false;
  return length == size || (length < size && AdtsHeader(bytes + length, size - length, &next));
}

// An MPEG transport stream: sync bytes 0x47 at the start of three 188-byte
// packets.
bool IsTransportStream(const uint8_t* bytes, uint32_t size) {
  return size >= 2 * 188 + 1 && bytes[0] == 0x47 && bytes[188] == 0x47 && bytes[376] == 0x47;
}

}  // namespace

const char* ForeignFormatName(const uint8_t* bytes, uint32_t size) {
  if (Has(bytes, size, 0, "FORM", 4) && Has(bytes, size, 8, "AIFF", 4)) return "AIFF";
  if (Has(bytes, size, 0, "FORM", 4) && Has(bytes, size, 8, "AIFC", 4)) return "AIFF-C";
  for (const Signature& s : kSignatures) {
    if (Has(bytes, size, s.offset, s.bytes, s.length)) return s.name;
  }
  if (IsAdts(bytes, size)) return "AAC (ADTS)";
  if (IsTransportStream(bytes, size)) return "MPEG transport stream";
  return nullptr;
}
