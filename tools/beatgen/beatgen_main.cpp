// tempyra-beatgen: writes a synthetic beat stream as a 16-bit PCM WAV file.
//
//   tempyra-beatgen OUT.wav RATE INTERVAL TOTAL [CHANNELS]
//
// A 441-sample 200 Hz burst starts every INTERVAL samples over TOTAL
// samples at RATE Hz (22050 at 44100 Hz is 120 beats per minute).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/beatgen/beat_stream.h"
#include "wav_file.h"

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
  // The same stream in every channel.
  tempyra::testsignal::WavAudio audio{
      static_cast<int>(shape.sampleRate), static_cast<int>(channels), {}};
  for (int16_t sample : MakeBeatStream(shape))
    audio.samples.insert(audio.samples.end(), channels, sample);
  std::string error;
  if (!tempyra::testsignal::writeWav(argv[1], audio, error)) {
    std::fprintf(stderr, "tempyra-beatgen: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
