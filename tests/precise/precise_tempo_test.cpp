// The precise tempo estimator: exact values on synthetic streams at
// non-integer tempi, the beat level on streams that fool the standard
// estimate, and the standard estimate unchanged behind the shared interface.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/default_tempo_estimator.h"
#include "engine/precise_tempo_estimator.h"
#include "engine/tempo_detector.h"
#include "engine/tempo_estimation.h"
#include "tools/beatgen/beat_stream.h"

namespace {

// A stream of decaying noise bursts ("hits") at exact, fractional times.
struct Hit {
  double beat;  // position in beats (fractional: off-beats, swing)
  double gain;
  double toneHz;  // 0: noise; else a decaying sine (a kick-like thump)
};

std::vector<int16_t> Render(const std::vector<Hit>& bar, double beatsPerBar, double bpm,
                            double seconds, uint32_t rate) {
  const auto total = static_cast<size_t>(seconds * rate);
  std::vector<double> mix(total, 0.0);
  const double samplesPerBeat = 60.0 / bpm * rate;
  uint32_t noise = 1;
  for (int b = 0;; ++b) {
    const double barStart = b * beatsPerBar * samplesPerBeat;
    if (barStart >= static_cast<double>(total)) break;
    for (const Hit& h : bar) {
      const auto at = static_cast<size_t>(std::lround(barStart + h.beat * samplesPerBeat));
      for (size_t i = 0; i < rate / 10 && at + i < total; ++i) {
        const double t = static_cast<double>(i) / rate;
        double v;
        if (h.toneHz > 0) {
          v = std::sin(6.283185307179586 * h.toneHz * t);
        } else {
          noise = noise * 1664525u + 1013904223u;
          v = static_cast<double>(noise >> 8) / 8388608.0 - 1.0;
        }
        mix[at + i] += h.gain * v * std::exp(-t * 40.0);
      }
    }
  }
  std::vector<int16_t> out(total);
  for (size_t i = 0; i < total; ++i)
    out[i] = static_cast<int16_t>(std::lround(std::clamp(mix[i], -1.0, 1.0) * 20000.0));
  return out;
}

// Feeds mono PCM in decoder-sized blocks.
template <typename Estimator>
void Feed(Estimator& e, const std::vector<int16_t>& samples, uint32_t rate, uint32_t channels = 1) {
  const std::vector<uint8_t> pcm = ToPcmBytes(samples, channels);
  const size_t block = 1152 * 2 * channels;
  for (size_t at = 0; at < pcm.size(); at += block) {
    const auto n = static_cast<uint32_t>(std::min(block, pcm.size() - at));
    e.FeedBlock(pcm.data() + at, n, rate, 2 * channels, channels);
  }
}

TempoEstimate Precise(const std::vector<int16_t>& samples, uint32_t rate) {
  PreciseTempoEstimator e;
  Feed(e, samples, rate);
  return e.Estimate();
}

}  // namespace

TEST(PreciseTempo, ExactValueOfAPulseStream) {
  for (double bpm : {127.35, 93.41, 174.02, 61.7}) {
    const auto s = Render({{0, 0.9, 0}}, 1, bpm, 60, 44100);
    const TempoEstimate e = Precise(s, 44100);
    EXPECT_NEAR(e.bpm, bpm, 0.02) << bpm;
  }
}
