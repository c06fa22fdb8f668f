// Throughput of the precise estimator beside the standard detector on the
// same 16-bit stereo 44100 Hz PCM, fed in decoder-sized blocks of 1152
// sample frames, estimate included. x_realtime is seconds of audio per
// second of one core; curve_bytes_per_s is the precise estimator's only
// memory that grows with the track.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "engine/default_tempo_estimator.h"
#include "engine/precise_tempo_estimator.h"
#include "tools/beatgen/beat_stream.h"

namespace {

constexpr uint32_t kRate = 44100;
constexpr uint32_t kSeconds = 240;

// Beats with noise on both channels, so every stage does real work.
const std::vector<uint8_t>& MusicLikePcm() {
  static const std::vector<uint8_t> bytes = [] {
    BeatStreamShape shape;
    shape.interval = 20787;  // 127.29 beats per minute
    shape.totalSamples = kRate * kSeconds;
    std::vector<int16_t> beats = MakeBeatStream(shape);
    std::vector<uint8_t> out(beats.size() * 4);
    uint32_t state = 12345;
    for (size_t i = 0; i < beats.size(); ++i) {
      state = state * 1664525u + 1013904223u;
      const int noise = static_cast<int>(state >> 21) - 1024;
      const auto l = static_cast<uint16_t>(static_cast<int16_t>(beats[i] + noise));
      const auto r = static_cast<uint16_t>(static_cast<int16_t>(beats[i] - noise));
      out[4 * i] = static_cast<uint8_t>(l & 0xFF);
      out[4 * i + 1] = static_cast<uint8_t>(l >> 8);
      out[4 * i + 2] = static_cast<uint8_t>(r & 0xFF);
      out[4 * i + 3] = static_cast<uint8_t>(r >> 8);
    }
    return out;
  }();
  return bytes;
}

template <typename Estimator>
void Run(benchmark::State& state) {
  const std::vector<uint8_t>& pcm = MusicLikePcm();
  const size_t block = 1152 * 4;
  Estimator estimator;
  TempoEstimate estimate{};
  for (auto _ : state) {
    estimator.Reset();
    for (size_t at = 0; at < pcm.size(); at += block) {
      const auto n = static_cast<uint32_t>(std::min(block, pcm.size() - at));
      estimator.FeedBlock(pcm.data() + at, n, kRate, 4, 2);
    }
    estimate = estimator.Estimate();
    benchmark::DoNotOptimize(estimate);
  }
  state.counters["x_realtime"] =
      benchmark::Counter(static_cast<double>(kSeconds) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
  state.counters["bpm"] = estimate.bpm;
  if constexpr (std::is_same_v<Estimator, PreciseTempoEstimator>)
    state.counters["curve_bytes_per_s"] =
        static_cast<double>(estimator.CurveBytes()) / estimator.SecondsFed();
}

void BM_StandardEstimator(benchmark::State& state) {
  Run<DefaultTempoEstimator>(state);
}
void BM_PreciseEstimator(benchmark::State& state) {
  Run<PreciseTempoEstimator>(state);
}
BENCHMARK(BM_StandardEstimator)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreciseEstimator)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
