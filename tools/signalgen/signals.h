// Deterministic test signals for the decoder reference checks.
//
// Each generator returns one channel of floating-point samples (peak about
// 1). They are chosen to drive an MP3 encoder through its cases: sweeps and
// chords give long blocks with tonal content, sharp drum-like attacks and
// noise bursts make lame switch to short blocks, silence gives empty frames.
// The same kind, length, rate, seed and variant always give the same samples.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tempyra::testsignal {

struct SignalRequest {
  std::string kind;  // sweep, noise, drums, chord, silence, tone, mix
  int sampleRate = 44100;
  std::size_t length = 0;  // samples
  uint32_t seed = 1;
  int variant = 0;         // 0 or 1: a second, different signal of the same kind
  double toneHz = 1000.0;  // frequency of the "tone" kind
};

// Names of all kinds, for the usage text.
const std::vector<std::string>& signalKinds();

// Returns false when the kind is unknown.
bool generateSignal(const SignalRequest& request, std::vector<double>& samples);

// Makes the signal start and end smoothly: `silent` samples of silence at
// each end, then a raised-cosine ramp of `ramp` samples. An abrupt start or
// end would put energy at all frequencies into the first and last frames,
// whatever low-pass filter follows.
void applyEdgeFades(std::vector<double>& samples, std::size_t silent, std::size_t ramp);

// Small deterministic pseudo-random generator (xorshift64*), so the signals do
// not depend on the standard library's distributions.
class NoiseSource {
 public:
  explicit NoiseSource(uint64_t seed);
  double uniform();   // in [-1, 1)
  double gaussian();  // zero mean, unit variance
 private:
  uint64_t state_;
};

}  // namespace tempyra::testsignal
