// tempyra-patterngen: synthesises a drum, bass and chord pattern at an exact
// tempo (any number of hundredths) and writes it as a 16-bit stereo WAV file.
// Used by the tempo evaluation set (eval/) and the precise estimator's tests.
//
//   tempyra-patterngen OUT.wav STYLE BPM SECONDS [RATE] [SEED]
//
// STYLE, with the beat that BPM counts:
//   house     four-to-the-floor kick, clap on 2 and 4, off-beat open hat,
//             sixteenth hats, off-beat bass
//   techno    kick on every beat, rumble, sixteenth hats with accents
//   breakbeat syncopated kick (1, 2-and, 3-and), snare on 2 and 4 with
//             ghost notes, eighth hats
//   dnb       two-step: kick on 1 and 3-and, snare on 2 and 4, eighth hats
//             (the drum-and-bass count, e.g. 174)
//   hiphop    swung sixteenths (a 62 % swing), kick on 1 and the a of 2,
//             snare on 2 and 4
//   shuffle   triplet swing: ride on the beat and the last triplet, kick
//             on 1 and 3, snare on 2 and 4
//   breakdown house with the kick only in every other eight bars: tempo-
//             stable stretches with no kick drum at all
//   waltz     3/4: bass on 1, chord stabs on 2 and 3 (BPM counts quarters)
//   sixeight  6/8: kick on 1 and 4 of each bar, snare on 4, hats on every
//             eighth (BPM counts dotted quarters, two per bar)
//   dembow    kick on every beat, snare on the a of 1 and the and of 2
//             (3+3+2 syncopation)
//   pluck     no drums: a plucked arpeggio in sixteenths over a sustained
//             pad, accents on the beat
// Every note starts at its exact time, rounded to the nearest sample, so the
// average tempo is exact. SEED varies levels, timbres and small timing and
// level humanisation (never the tempo). Deterministic: the same arguments
// give the same file.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "wav_file.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;

struct Random {
  uint32_t state;
  explicit Random(uint32_t seed) : state(seed * 2654435761u + 12345u) {}
  double Uniform() {  // [0, 1)
    state = state * 1664525u + 1013904223u;
    return (state >> 8) / 16777216.0;
  }
  double Between(double low, double high) { return low + (high - low) * Uniform(); }
  double Noise() { return 2.0 * Uniform() - 1.0; }
};

struct Track {
  double rate;
  std::vector<double> left, right;
  void Add(size_t at, double sample, double pan) {
    if (at >= left.size()) return;
    left[at] += sample * (1.0 - pan);
    right[at] += sample * (1.0 + pan);
  }
};

struct Kit {
  double kickTune, kickDecay, snareTone, hatCutoff, clapSpread, bassGain, chordGain, humanise;
};

void Kick(Track& t, double at, double gain, const Kit& kit) {
  double phase = 0;
  const auto start = static_cast<size_t>(std::lround(at));
  for (size_t i = 0; i < static_cast<size_t>(0.4 * t.rate); ++i) {
    const double s = static_cast<double>(i) / t.rate;
    phase += kTwoPi * (kit.kickTune + 120.0 * std::exp(-s * 35.0)) / t.rate;
    t.Add(start + i, gain * std::sin(phase) * std::exp(-s * kit.kickDecay), 0.0);
  }
}

// Filtered noise burst: snare, clap, hat (by its high-pass and decay).
void NoiseHit(Track& t, double at, double gain, double seconds, double decay, double highpass,
              double pan, Random& random) {
  const double a = std::exp(-kTwoPi * highpass / t.rate);
  double low = 0;
  const auto start = static_cast<size_t>(std::lround(at));
  for (size_t i = 0; i < static_cast<size_t>(seconds * t.rate); ++i) {
    const double x = random.Noise();
    low = a * low + (1 - a) * x;
    const double s = static_cast<double>(i) / t.rate;
    t.Add(start + i, gain * (x - low) * std::exp(-s * decay), pan);
  }
}

void Snare(Track& t, double at, double gain, const Kit& kit, Random& random) {
  NoiseHit(t, at, gain * 0.8, 0.2, 20, 1200, 0.05, random);
  const auto start = static_cast<size_t>(std::lround(at));
  for (size_t i = 0; i < static_cast<size_t>(0.12 * t.rate); ++i) {
    const double s = static_cast<double>(i) / t.rate;
    t.Add(start + i, gain * 0.5 * std::sin(kTwoPi * kit.snareTone * s) * std::exp(-s * 30), 0.0);
  }
}

void Clap(Track& t, double at, double gain, const Kit& kit, Random& random) {
  for (int k = 0; k < 3; ++k)
    NoiseHit(t, at + k * kit.clapSpread * t.rate, gain * 0.6, 0.03, 60, 900, -0.1, random);
  NoiseHit(t, at + 3 * kit.clapSpread * t.rate, gain, 0.18, 25, 900, -0.1, random);
}

void Hat(Track& t, double at, double gain, bool open, const Kit& kit, Random& random) {
  NoiseHit(t, at, gain, open ? 0.25 : 0.05, open ? 12 : 70, kit.hatCutoff, 0.3, random);
}

// A tone with a quick attack: saw through a one-pole low-pass (bass) or a
// plucked sine pair (chords and arpeggios).
void Tone(Track& t, double at, double seconds, double hz, double gain, double decay, bool saw,
          double pan) {
  const auto start = static_cast<size_t>(std::lround(at));
  double phase = 0, smooth = 0;
  for (size_t i = 0; i < static_cast<size_t>(seconds * t.rate); ++i) {
    const double s = static_cast<double>(i) / t.rate;
    phase += hz / t.rate;
    phase -= std::floor(phase);
    double v;
    if (saw) {
      smooth += 0.1 * ((2.0 * phase - 1.0) - smooth);
      v = smooth;
    } else {
      v = std::sin(kTwoPi * phase) + 0.3 * std::sin(2 * kTwoPi * phase);
    }
    const double attack = std::min(1.0, s / 0.004);
    const double release = std::min(1.0, (seconds - s) / 0.01);
    t.Add(start + i, gain * v * attack * release * std::exp(-s * decay), pan);
  }
}

double NoteHz(int semitonesFromA) {
  return 440.0 * std::exp2(semitonesFromA / 12.0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: tempyra-patterngen OUT.wav STYLE BPM SECONDS [RATE] [SEED]\n");
    return 2;
  }
  const std::string style = argv[2];
  const double bpm = std::atof(argv[3]);
  const double seconds = std::atof(argv[4]);
  const double rate = argc > 5 ? std::atof(argv[5]) : 44100.0;
  const auto seed = static_cast<uint32_t>(argc > 6 ? std::strtoul(argv[6], nullptr, 10) : 1);
  if (bpm < 20 || bpm > 400 || seconds <= 0 || seconds > 900 || rate < 8000 || rate > 48000) {
    std::fprintf(stderr, "tempyra-patterngen: tempo, length or rate out of range\n");
    return 2;
  }
  Random random(seed);
  Kit kit{random.Between(40, 60),     random.Between(6, 12),        random.Between(170, 240),
          random.Between(5000, 8000), random.Between(0.008, 0.014), random.Between(0.2, 0.4),
          random.Between(0.08, 0.16), random.Between(0.0, 0.004)};
  const auto total = static_cast<size_t>(seconds * rate);
  Track t{rate, std::vector<double>(total, 0.0), std::vector<double>(total, 0.0)};
  const double beat = 60.0 / bpm * rate;  // samples per counted beat
  const int roots[] = {0, -4, 3, -2, 5, -5, 0, 7};
  const int chordShape[] = {0, 3, 7, 10};
  // Position of beat b plus `fraction` of a beat, with a little humanisation.
  auto at = [&](double b, double fraction) {
    return (b + fraction) * beat + random.Noise() * kit.humanise * rate;
  };
  auto vary = [&](double gain) { return gain * random.Between(0.85, 1.0); };
  const bool triple = style == "waltz";
  const int beatsPerBar = triple ? 3 : (style == "sixeight" ? 2 : 4);
  for (int b = 0; b * beat < static_cast<double>(total); ++b) {
    const int inBar = b % beatsPerBar;
    const int bar = b / beatsPerBar;
    const int root = roots[(bar / 2) % 8];
    const double bassHz = NoteHz(root - 36);
    if (style == "house" || style == "breakdown") {
      const bool kickOn = style == "house" || (bar / 8) % 2 == 0;
      if (kickOn) Kick(t, at(b, 0), vary(0.8), kit);
      if (inBar == 1 || inBar == 3) Clap(t, at(b, 0), vary(0.45), kit, random);
      Hat(t, at(b, 0.5), vary(0.25), true, kit, random);
      for (int s = 0; s < 4; ++s)
        Hat(t, at(b, s * 0.25), vary(s == 0 ? 0.12 : 0.07), false, kit, random);
      Tone(t, at(b, 0.5), 0.45 * beat / rate, bassHz, vary(kit.bassGain), 4, true, 0);
      if (inBar == 0 && bar % 2 == 0)
        for (int n : chordShape)
          Tone(t, at(b, 0), 2.0 * beat / rate, NoteHz(root + n - 12), kit.chordGain * 0.5, 1.5,
               false, -0.2);
    } else if (style == "techno") {
      Kick(t, at(b, 0), vary(0.9), kit);
      Tone(t, at(b, 0.25), 0.6 * beat / rate, bassHz, vary(kit.bassGain * 0.7), 6, true, 0);
      for (int s = 0; s < 4; ++s)
        Hat(t, at(b, s * 0.25), vary(s == 2 ? 0.2 : 0.08), s == 2, kit, random);
      if (inBar == 3 && bar % 4 == 3) Clap(t, at(b, 0.75), vary(0.3), kit, random);
    } else if (style == "breakbeat" || style == "dnb") {
      const bool dnb = style == "dnb";
      if (inBar == 0) Kick(t, at(b, 0), vary(0.85), kit);
      if (!dnb && inBar == 1) Kick(t, at(b, 0.5), vary(0.6), kit);
      if (inBar == 2) Kick(t, at(b, 0.5), vary(0.75), kit);
      if (inBar == 1 || inBar == 3) Snare(t, at(b, 0), vary(0.7), kit, random);
      if (!dnb && inBar == 3) Snare(t, at(b, 0.75), vary(0.2), kit, random);  // ghost
      for (int s = 0; s < 2; ++s)
        Hat(t, at(b, s * 0.5), vary(s == 0 ? 0.14 : 0.09), false, kit, random);
      if (inBar == 0)
        Tone(t, at(b, 0), 1.8 * beat / rate, bassHz, vary(kit.bassGain), 1.2, true, 0);
      if (inBar == 2)
        Tone(t, at(b, 0.5), 1.2 * beat / rate, bassHz * 1.5, vary(kit.bassGain * 0.8), 1.5, true,
             0);
    } else if (style == "hiphop") {
      if (inBar == 0) Kick(t, at(b, 0), vary(0.85), kit);
      if (inBar == 1) Kick(t, at(b, 0.75 + 0.12 * 0.25), vary(0.6), kit);
      if (inBar == 2) Kick(t, at(b, 0.5), vary(0.7), kit);
      if (inBar == 1 || inBar == 3) Snare(t, at(b, 0), vary(0.7), kit, random);
      for (int s = 0; s < 4; ++s) {
        const double swing = (s % 2 == 1) ? 0.12 * 0.25 : 0.0;  // 62 % swing of the sixteenths
        Hat(t, at(b, s * 0.25 + swing), vary(s == 0 ? 0.12 : 0.06), false, kit, random);
      }
      if (inBar == 0 || inBar == 2)
        Tone(t, at(b, 0), 1.6 * beat / rate, bassHz, vary(kit.bassGain), 1.0, true, 0);
    } else if (style == "shuffle") {
      Hat(t, at(b, 0), vary(0.14), false, kit, random);
      Hat(t, at(b, 2.0 / 3.0), vary(0.09), false, kit, random);
      if (inBar == 0 || inBar == 2) Kick(t, at(b, 0), vary(0.7), kit);
      if (inBar == 1 || inBar == 3) Snare(t, at(b, 0), vary(0.55), kit, random);
      Tone(t, at(b, 0), 0.6 * beat / rate, bassHz * (inBar % 2 ? 1.5 : 1.0), vary(kit.bassGain), 2,
           true, 0);
      Tone(t, at(b, 2.0 / 3.0), 0.3 * beat / rate, bassHz * 2, vary(kit.bassGain * 0.5), 3, true,
           0);
    } else if (style == "waltz") {
      if (inBar == 0) {
        Tone(t, at(b, 0), 0.9 * beat / rate, bassHz, vary(kit.bassGain * 1.5), 2, true, 0);
        Kick(t, at(b, 0), vary(0.4), kit);
      } else {
        for (int n : chordShape)
          Tone(t, at(b, 0), 0.5 * beat / rate, NoteHz(root + n - 12), vary(kit.chordGain), 4, false,
               0.2);
        Hat(t, at(b, 0), vary(0.05), false, kit, random);
      }
    } else if (style == "sixeight") {
      // A counted beat is a dotted quarter: three eighths.
      Kick(t, at(b, 0), vary(inBar == 0 ? 0.85 : 0.6), kit);
      if (inBar == 1) Snare(t, at(b, 0), vary(0.55), kit, random);
      for (int e = 0; e < 3; ++e)
        Hat(t, at(b, e / 3.0), vary(e == 0 ? 0.13 : 0.07), false, kit, random);
      Tone(t, at(b, 0), 0.6 * beat / rate, bassHz, vary(kit.bassGain), 2, true, 0);
      Tone(t, at(b, 2.0 / 3.0), 0.3 * beat / rate, bassHz * 1.5, vary(kit.bassGain * 0.6), 3, true,
           0);
    } else if (style == "dembow") {
      Kick(t, at(b, 0), vary(0.8), kit);
      if (inBar % 2 == 0) Snare(t, at(b, 0.75), vary(0.5), kit, random);
      if (inBar % 2 == 1) Snare(t, at(b, 0.5), vary(0.5), kit, random);
      for (int s = 0; s < 2; ++s) Hat(t, at(b, s * 0.5), vary(0.08), false, kit, random);
      Tone(t, at(b, 0), 0.7 * beat / rate, bassHz, vary(kit.bassGain), 2, true, 0);
    } else if (style == "pluck") {
      const int arpeggio[] = {0, 7, 12, 15, 19, 15, 12, 7};
      for (int s = 0; s < 4; ++s)
        Tone(t, at(b, s * 0.25), 0.22 * beat / rate, NoteHz(root + arpeggio[(b * 4 + s) % 8]),
             vary(s == 0 ? 0.22 : 0.12), 7, false, -0.3);
      if (inBar == 0)
        for (int n : chordShape)
          Tone(t, at(b, 0), 4.0 * beat / rate, NoteHz(root + n - 24), kit.chordGain * 0.6, 0.3,
               false, 0.3);
    } else {
      std::fprintf(stderr, "tempyra-patterngen: unknown style %s\n", style.c_str());
      return 2;
    }
  }
  // Normalise to 90 % of full scale.
  double peak = 1e-9;
  for (size_t i = 0; i < total; ++i)
    peak = std::max({peak, std::fabs(t.left[i]), std::fabs(t.right[i])});
  const double gain = 0.9 * 32767.0 / peak;
  tempyra::testsignal::WavAudio audio{static_cast<int>(rate), 2, {}};
  audio.samples.reserve(total * 2);
  for (size_t i = 0; i < total; ++i) {
    audio.samples.push_back(static_cast<int16_t>(std::lround(t.left[i] * gain)));
    audio.samples.push_back(static_cast<int16_t>(std::lround(t.right[i] * gain)));
  }
  std::string error;
  if (!tempyra::testsignal::writeWav(argv[1], audio, error)) {
    std::fprintf(stderr, "tempyra-patterngen: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
