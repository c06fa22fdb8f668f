// Finding the samples of a plain PCM WAVE file over the shared chunk walk.
// See pcm_wave.h.
#include "engine/pcm_wave.h"

#include "engine/riff_chunk_walk.h"

namespace {

constexpr uint16_t kFormatPcm = 1;

}  // namespace

bool FindPcmWave(const uint8_t* file, uint32_t size, PcmWave* wave) {
  PcmWave found;
  bool haveFormat = false;
  RiffChunkWalk walk(file, size, "WAVE");
  RiffChunk chunk;
  while (walk.Next(&chunk)) {
    if (chunk.Is("fmt ")) {
      if (chunk.bodyBytes < 16 || chunk.BytesIn(size) < 16) return false;
      const uint8_t* f = file + chunk.bodyOffset;
      if (WaveFormatTag(file, size, chunk) != kFormatPcm) return false;
      found.channels = ReadLe16(f + 2);
      found.sampleRate = ReadLe32(f + 4);
      found.bitsPerSample = ReadLe16(f + 14);
      const uint16_t blockAlign = ReadLe16(f + 12);
      if (found.channels == 0 || found.channels > kMaxWaveChannels) return false;
      if (found.bitsPerSample != 8 && found.bitsPerSample != 16) return false;
      if (blockAlign != found.FrameBytes()) return false;
      if (found.sampleRate < kMinWaveSampleRate || found.sampleRate > kMaxWaveSampleRate)
        return false;
      haveFormat = true;
    } else if (chunk.Is("data")) {
      if (!haveFormat) return false;
      const uint32_t bytes = chunk.BytesIn(size);
      found.dataOffset = chunk.bodyOffset;
      found.dataBytes = bytes - bytes % found.FrameBytes();
      *wave = found;
      return true;
    }
  }
  return false;
}
