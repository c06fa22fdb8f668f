// tempyra-beatgen: writes a synthetic beat stream as a 16-bit PCM WAV file.
//
//   tempyra-beatgen OUT.wav RATE INTERVAL TOTAL [CHANNELS]
//
// A 441-sample 200 Hz burst starts every INTERVAL samples over TOTAL
// samples at RATE Hz (22050 at 44100 Hz is 120 beats per minute).
#include <cstdio>
#include <cstdlib>

#include "tools/beatgen/beat_stream.h"

namespace {

void PutLe(std::FILE* f, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) std::fputc(static_cast<int>((value >> (8 * i)) & 0xFF), f);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: tempyra-beatgen OUT.wav RATE INTERVAL TOTAL [CHANNELS]\n");
    return 2;
  }
  BeatStreamShape shape;
  shape.sampleRate = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10));
  shape.interval = static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10));
  shape.totalSamples = static_cast<uint32_t>(std::strtoul(argv[4], nullptr, 10));
  const uint32_t channels =
      argc > 5 ? static_cast<uint32_t>(std::strtoul(argv[5], nullptr, 10)) : 1;
  if (shape.sampleRate < 8000 || shape.sampleRate > 192000 || channels < 1 || channels > 2 ||
      shape.totalSamples > 100000000u) {
    std::fprintf(stderr, "tempyra-beatgen: rate, length or channel count out of range\n");
    return 2;
  }
  std::vector<uint8_t> pcm = ToPcmBytes(MakeBeatStream(shape), channels);
  std::FILE* f = std::fopen(argv[1], "wb");
  if (f == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  const uint32_t dataBytes = static_cast<uint32_t>(pcm.size());
  std::fwrite("RIFF", 1, 4, f);
  PutLe(f, 36 + dataBytes, 4);
  std::fwrite("WAVEfmt ", 1, 8, f);
  PutLe(f, 16, 4);
  PutLe(f, 1, 2);  // PCM
  PutLe(f, channels, 2);
  PutLe(f, shape.sampleRate, 4);
  PutLe(f, shape.sampleRate * channels * 2, 4);
  PutLe(f, channels * 2, 2);
  PutLe(f, 16, 2);
  std::fwrite("data", 1, 4, f);
  PutLe(f, dataBytes, 4);
  std::fwrite(pcm.data(), 1, pcm.size(), f);
  return std::fclose(f) == 0 ? 0 : 1;
}
