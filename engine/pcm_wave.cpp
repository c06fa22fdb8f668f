// RIFF WAVE chunk walk for plain PCM. See pcm_wave.h.
#include "engine/pcm_wave.h"

#include <cstring>

namespace {

uint32_t Le32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t Le16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;

}  // namespace

bool FindPcmWave(const uint8_t* file, uint32_t size, PcmWave* wave) {
  if (size < 12 || std::memcmp(file, "RIFF", 4) != 0 || std::memcmp(file + 8, "WAVE", 4) != 0)
    return false;
  PcmWave found;
  bool haveFormat = false;
  uint64_t at = 12;
  while (at + 8 <= size) {
    const uint8_t* chunk = file + at;
    const uint64_t length = Le32(chunk + 4);
    const uint64_t body = at + 8;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (length < 16 || body + 16 > size) return false;
      const uint8_t* f = file + body;
      uint16_t format = Le16(f);
      if (format == kFormatExtensible && length >= 40 && body + 26 <= size)
        format = Le16(f + 24);  // the sub-format's first two bytes
      if (format != kFormatPcm) return false;
      found.channels = Le16(f + 2);
      found.sampleRate = Le32(f + 4);
      found.bitsPerSample = Le16(f + 14);
      const uint16_t blockAlign = Le16(f + 12);
      if (found.channels == 0 || found.channels > kMaxWaveChannels) return false;
      if (found.bitsPerSample != 8 && found.bitsPerSample != 16) return false;
      if (blockAlign != found.FrameBytes()) return false;
      if (found.sampleRate < kMinWaveSampleRate || found.sampleRate > kMaxWaveSampleRate)
        return false;
      haveFormat = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!haveFormat) return false;
      uint64_t bytes = length;
      if (body + bytes > size) bytes = size - body;
      found.dataOffset = static_cast<uint32_t>(body);
      found.dataBytes = static_cast<uint32_t>(bytes - bytes % found.FrameBytes());
      *wave = found;
      return true;
    }
    at = body + length + (length & 1);
  }
  return false;
}
