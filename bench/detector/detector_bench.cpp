// Throughput of the tempo detector on 16-bit stereo 44100 Hz PCM, fed in
// decoder-sized blocks of 1152 sample frames. The x_realtime counter is
// seconds of audio analysed per second of one core.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "engine/tempo_detector.h"
#include "engine/tempo_estimation.h"
#include "tools/beatgen/beat_stream.h"

namespace {

constexpr uint32_t kRate = 44100;
constexpr uint32_t kSeconds = 60;

// Beats with noise on both channels, so every stage does real work.
std::vector<uint8_t> MusicLikePcm() {
  BeatStreamShape shape;
  shape.totalSamples = kRate * kSeconds;
  std::vector<int16_t> beats = MakeBeatStream(shape);
  std::vector<int16_t> stereo(beats.size() * 2);
  uint32_t state = 12345;
  for (size_t i = 0; i < beats.size(); ++i) {
    state = state * 1664525u + 1013904223u;
    int noise = static_cast<int>(state >> 21) - 1024;
    stereo[2 * i] = static_cast<int16_t>(beats[i] + noise);
    stereo[2 * i + 1] = static_cast<int16_t>(beats[i] - noise);
  }
  std::vector<uint8_t> bytes(stereo.size() * 2);
  for (size_t i = 0; i < stereo.size(); ++i) {
    bytes[2 * i] = static_cast<uint8_t>(static_cast<uint16_t>(stereo[i]) & 0xFF);
    bytes[2 * i + 1] = static_cast<uint8_t>(static_cast<uint16_t>(stereo[i]) >> 8);
  }
  return bytes;
}

void BM_DetectorStereo44100(benchmark::State& state) {
  const std::vector<uint8_t> pcm = MusicLikePcm();
  const size_t block = 1152 * 4;
  TempoDetector detector;
  double tempo = 0;
  for (auto _ : state) {
    detector.Reset();
    for (size_t at = 0; at < pcm.size(); at += block) {
      uint32_t n = static_cast<uint32_t>(std::min(block, pcm.size() - at));
      detector.FeedBlock(pcm.data() + at, n, kRate, 4, 2);
    }
    tempo = EstimateTempo(detector.PeriodicitySpectrum(), kRate, 30.0, 240.0);
    benchmark::DoNotOptimize(tempo);
  }
  state.counters["x_realtime"] =
      benchmark::Counter(static_cast<double>(kSeconds) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
  state.counters["bpm"] = tempo;
}
BENCHMARK(BM_DetectorStereo44100)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
