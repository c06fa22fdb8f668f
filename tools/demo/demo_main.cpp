// tempyra-demo: runs the tempo engine on beat streams made at known tempi and
// prints what it measured next to the tempo each stream was made at.
#include <cmath>
#include <cstdio>
#include <vector>

#include "engine/tempo_detector.h"
#include "engine/tempo_estimation.h"
#include "tools/beatgen/beat_stream.h"

int main() {
  struct Track {
    uint32_t rate;
    double bpm;
    double seconds;
  };
  const Track tracks[] = {{44100, 120.0, 61.0}, {44100, 90.0, 61.0},
                          {48000, 120.0, 61.0}, {44100, 128.0, 61.0}};
  std::printf("%-10s %-10s %s\n", "rate", "made at", "measured");
  for (const Track& t : tracks) {
    BeatStreamShape shape;
    shape.sampleRate = t.rate;
    shape.interval = static_cast<uint32_t>(std::lround(t.rate * 60.0 / t.bpm));
    shape.totalSamples = static_cast<uint32_t>(t.rate * t.seconds);
    std::vector<uint8_t> pcm = ToPcmBytes(MakeBeatStream(shape), 2);
    TempoDetector detector;
    const size_t block = 1152 * 4;
    for (size_t at = 0; at < pcm.size(); at += block) {
      size_t n = pcm.size() - at < block ? pcm.size() - at : block;
      detector.FeedBlock(pcm.data() + at, static_cast<uint32_t>(n), t.rate, 4, 2);
    }
    double tempo = EstimateTempo(detector.PeriodicitySpectrum(), t.rate, 30.0, 240.0);
    if (std::isfinite(tempo))
      std::printf("%-10u %-10.2f %.2f\n", t.rate, t.bpm, tempo);
    else
      std::printf("%-10u %-10.2f failed\n", t.rate, t.bpm);
  }
  return 0;
}
