// The test-signal generators: sweeps, noise bursts, drum patterns, chords,
// silence, single tones and a mixed programme of all of them.
#include "signals.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tempyra::testsignal {
namespace {

constexpr double kPi = std::numbers::pi;

// Logarithmic sine sweep; variant 1 sweeps downwards.
void sweep(const SignalRequest& r, std::vector<double>& out) {
  const double f0 = 30.0;
  const double f1 = 0.49 * r.sampleRate;
  const double duration = static_cast<double>(r.length) / r.sampleRate;
  const double k = std::log(f1 / f0);
  for (std::size_t n = 0; n < r.length; ++n) {
    double t = static_cast<double>(n) / r.sampleRate;
    if (r.variant == 1) t = duration - t;
    // Phase of a sweep whose frequency is f0 * exp(k t / duration).
    const double phase = 2.0 * kPi * f0 * duration / k * (std::exp(k * t / duration) - 1.0);
    out[n] = 0.8 * std::sin(phase);
  }
}

// Bursts of white noise with an instant attack and an exponential decay.
void noiseBursts(const SignalRequest& r, std::vector<double>& out) {
  NoiseSource noise(r.seed * 7919u + static_cast<uint64_t>(r.variant) * 104729u + 1);
  const std::size_t period =
      static_cast<std::size_t>(r.sampleRate * (r.variant == 1 ? 0.31 : 0.23));
  const double tau = 0.05 * r.sampleRate;
  double gain = 1.0;
  for (std::size_t n = 0; n < r.length; ++n) {
    const std::size_t within = n % period;
    if (within == 0) gain = 0.3 + 0.7 * std::abs(noise.uniform());
    const double envelope =
        within < period * 3 / 4 ? std::exp(-static_cast<double>(within) / tau) : 0.0;
    out[n] = gain * envelope * noise.gaussian() * 0.35;
  }
}

// A drum machine at 120 BPM (variant 1: 128 BPM): kick on beats 1 and 3,
// snare on 2 and 4, closed hi-hat on every eighth note.
void drums(const SignalRequest& r, std::vector<double>& out) {
  NoiseSource noise(r.seed * 31u + static_cast<uint64_t>(r.variant) + 5);
  const double bpm = r.variant == 1 ? 128.0 : 120.0;
  const double beat = 60.0 / bpm;
  const double fs = r.sampleRate;
  double previousNoise = 0.0;
  for (std::size_t n = 0; n < r.length; ++n) {
    const double t = static_cast<double>(n) / fs;
    const long beatIndex = static_cast<long>(t / beat);
    const double inBeat = t - static_cast<double>(beatIndex) * beat;
    const double eighth = beat / 2.0;
    const double inEighth = t - static_cast<long>(t / eighth) * eighth;
    const double white = noise.gaussian();
    const double highNoise = white - previousNoise;  // crude high-pass for the hi-hat
    previousNoise = white;
    double v = 0.0;
    if (beatIndex % 2 == 0) {
      // Kick: a sine falling from 150 to 45 Hz, with a click at the start.
      const double phase =
          2.0 * kPi * (45.0 * inBeat + 105.0 * 0.03 * (1.0 - std::exp(-inBeat / 0.03)));
      v += 0.9 * std::exp(-inBeat / 0.15) * std::sin(phase);
      v += 0.5 * std::exp(-inBeat / 0.002) * white;
    } else {
      // Snare: tone at 190 Hz plus noise, both decaying fast.
      v += 0.4 * std::exp(-inBeat / 0.06) * std::sin(2.0 * kPi * 190.0 * inBeat);
      v += 0.5 * std::exp(-inBeat / 0.08) * white;
    }
    v += 0.25 * std::exp(-inEighth / 0.02) * highNoise;
    out[n] = v;
  }
}

// A sustained chord with harmonics and a slow tremolo; variant 1 is another chord.
void chord(const SignalRequest& r, std::vector<double>& out) {
  static const double kMajor[] = {220.0, 277.18, 329.63, 440.0};
  static const double kMinor[] = {293.66, 349.23, 440.0, 587.33};
  const double* notes = r.variant == 1 ? kMinor : kMajor;
  const double fs = r.sampleRate;
  std::fill(out.begin(), out.end(), 0.0);
  for (int note = 0; note < 4; ++note) {
    for (int harmonic = 1; harmonic <= 12; ++harmonic) {
      const double f = notes[note] * harmonic;
      if (f >= 0.49 * fs) break;
      const double amplitude = 0.25 / harmonic;
      const double phase0 = 0.7 * note + 1.3 * harmonic;
      const double w = 2.0 * kPi * f / fs;
      for (std::size_t n = 0; n < r.length; ++n)
        out[n] += amplitude * std::sin(w * static_cast<double>(n) + phase0);
    }
  }
  for (std::size_t n = 0; n < r.length; ++n) {
    const double t = static_cast<double>(n) / fs;
    out[n] *= 0.75 + 0.25 * std::sin(2.0 * kPi * 0.7 * t);
  }
}

void tone(const SignalRequest& r, std::vector<double>& out) {
  const double w = 2.0 * kPi * r.toneHz / r.sampleRate;
  for (std::size_t n = 0; n < r.length; ++n) out[n] = 0.8 * std::sin(w * static_cast<double>(n));
}

// Generates one kind into a part of the output.
void generateInto(const SignalRequest& base, const std::string& kind, std::size_t begin,
                  std::size_t end, std::vector<double>& out, double gain, bool add);

// A programme of sections: sweep, drums over a chord, noise bursts, a short
// silence, then the chord with drums again, so one file exercises everything.
void mix(const SignalRequest& r, std::vector<double>& out) {
  std::fill(out.begin(), out.end(), 0.0);
  const std::size_t n = r.length;
  const std::size_t a = n / 4, b = n / 2, c = n * 7 / 10, d = n * 78 / 100;
  generateInto(r, "sweep", 0, a, out, 1.0, false);
  generateInto(r, "chord", a, b, out, 0.6, false);
  generateInto(r, "drums", a, b, out, 0.6, true);
  generateInto(r, "noise", b, c, out, 1.0, false);
  // c .. d stays silent
  generateInto(r, "chord", d, n, out, 0.5, false);
  generateInto(r, "drums", d, n, out, 0.7, true);
}

bool dispatch(const SignalRequest& r, std::vector<double>& out) {
  out.assign(r.length, 0.0);
  if (r.kind == "sweep")
    sweep(r, out);
  else if (r.kind == "noise")
    noiseBursts(r, out);
  else if (r.kind == "drums")
    drums(r, out);
  else if (r.kind == "chord")
    chord(r, out);
  else if (r.kind == "tone")
    tone(r, out);
  else if (r.kind == "mix")
    mix(r, out);
  else if (r.kind != "silence")
    return false;
  return true;
}

void generateInto(const SignalRequest& base, const std::string& kind, std::size_t begin,
                  std::size_t end, std::vector<double>& out, double gain, bool add) {
  SignalRequest part = base;
  part.kind = kind;
  part.length = end - begin;
  std::vector<double> samples;
  dispatch(part, samples);
  for (std::size_t i = 0; i < part.length; ++i) {
    const double v = gain * samples[i];
    out[begin + i] = add ? out[begin + i] + v : v;
  }
}

}  // namespace

const std::vector<std::string>& signalKinds() {
  static const std::vector<std::string> kinds = {"sweep",   "noise", "drums", "chord",
                                                 "silence", "tone",  "mix"};
  return kinds;
}

bool generateSignal(const SignalRequest& request, std::vector<double>& samples) {
  return dispatch(request, samples);
}

void applyEdgeFades(std::vector<double>& samples, std::size_t silent, std::size_t ramp) {
  const std::size_t n = samples.size();
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t edge = std::min(i, n - 1 - i);
    double gain = 1.0;
    if (edge < silent)
      gain = 0.0;
    else if (edge < silent + ramp)
      gain = 0.5 -
             0.5 * std::cos(kPi * static_cast<double>(edge - silent) / static_cast<double>(ramp));
    samples[i] *= gain;
  }
}

NoiseSource::NoiseSource(uint64_t seed)
    : state_(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {
  if (state_ == 0) state_ = 1;
}

double NoiseSource::uniform() {
  state_ ^= state_ >> 12;
  state_ ^= state_ << 25;
  state_ ^= state_ >> 27;
  const uint64_t value = state_ * 0x2545F4914F6CDD1Dull;
  return static_cast<double>(value >> 11) / 4503599627370496.0 - 1.0;  // 53 bits -> [-1, 1)
}

double NoiseSource::gaussian() {
  // Box-Muller from two uniforms in (0, 1].
  const double u1 = (uniform() + 1.0) / 2.0;
  const double u2 = (uniform() + 1.0) / 2.0;
  return std::sqrt(-2.0 * std::log(1.0 - u1)) * std::cos(2.0 * kPi * u2);
}

}  // namespace tempyra::testsignal
