// tempyra-drumgen: synthesises a short drum-and-bass loop at a known tempo
// and writes it as a 16-bit stereo WAV file, for the bundled demo tracks.
//
//   tempyra-drumgen OUT.wav BPM SECONDS [RATE] [STYLE]
//
// STYLE: house (four-to-the-floor kick, off-beat hats), breaks (syncopated
// kick, snare on two and four) or steady (kick and snare alternating).
// Deterministic: the same arguments give the same file.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "wav_file.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;

struct Noise {
  uint32_t state = 0x1234567;
  double Next() {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) / 8388608.0 - 1.0;
  }
};

void AddKick(std::vector<double>& out, size_t at, double rate, double gain) {
  double phase = 0;
  for (size_t i = 0; i < static_cast<size_t>(0.35 * rate) && at + i < out.size(); ++i) {
    double t = static_cast<double>(i) / rate;
    double freq = 45.0 + 110.0 * std::exp(-t * 30.0);
    phase += kTwoPi * freq / rate;
    out[at + i] += gain * std::sin(phase) * std::exp(-t * 9.0);
  }
}

void AddNoiseHit(std::vector<double>& out, size_t at, double rate, double gain, double seconds,
                 double decay, double highpass, Noise& noise) {
  double previous = 0, low = 0;
  const double a = std::exp(-kTwoPi * highpass / rate);
  for (size_t i = 0; i < static_cast<size_t>(seconds * rate) && at + i < out.size(); ++i) {
    double x = noise.Next();
    low = a * low + (1 - a) * x;  // one-pole low-pass ...
    double high = x - low;        // ... subtracted: a high-pass
    double y = 0.5 * (high + previous);
    previous = high;
    out[at + i] += gain * y * std::exp(-(static_cast<double>(i) / rate) * decay);
  }
}

void AddBass(std::vector<double>& out, size_t at, size_t length, double rate, double freq,
             double gain) {
  double phase = 0, smooth = 0;
  for (size_t i = 0; i < length && at + i < out.size(); ++i) {
    phase += freq / rate;
    phase -= std::floor(phase);
    double saw = 2.0 * phase - 1.0;
    smooth += 0.08 * (saw - smooth);
    double envelope = std::min(1.0, static_cast<double>(i) / (0.005 * rate)) *
                      std::exp(-(static_cast<double>(i) / rate) * 3.0);
    out[at + i] += gain * smooth * envelope;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr,
                 "usage: tempyra-drumgen OUT.wav BPM SECONDS [RATE] [house|breaks|steady]\n");
    return 2;
  }
  const double bpm = std::atof(argv[2]);
  const double seconds = std::atof(argv[3]);
  const double rate = argc > 4 ? std::atof(argv[4]) : 44100.0;
  const std::string style = argc > 5 ? argv[5] : "house";
  if (bpm < 20 || bpm > 400 || seconds <= 0 || seconds > 600 || rate < 8000 || rate > 48000) {
    std::fprintf(stderr, "tempyra-drumgen: tempo, length or rate out of range\n");
    return 2;
  }
  const size_t total = static_cast<size_t>(seconds * rate);
  std::vector<double> left(total, 0.0), right(total, 0.0);
  Noise noise;
  const double beat = 60.0 / bpm * rate;  // samples per beat
  const double bassNotes[] = {55.0, 55.0, 65.41, 49.0};
  for (int b = 0; b * beat < static_cast<double>(total); ++b) {
    const size_t at = static_cast<size_t>(std::lround(b * beat));
    const size_t half = static_cast<size_t>(std::lround((b + 0.5) * beat));
    const int inBar = b % 4;
    if (style == "breaks") {
      if (inBar == 0 || (inBar == 2 && b % 8 == 2)) AddKick(left, at, rate, 0.8);
      if (inBar == 2 && b % 8 == 6) AddKick(left, half, rate, 0.7);
      if (inBar == 1 || inBar == 3) AddNoiseHit(left, at, rate, 0.5, 0.18, 22, 900, noise);
    } else if (style == "steady") {
      if (inBar % 2 == 0)
        AddKick(left, at, rate, 0.8);
      else
        AddNoiseHit(left, at, rate, 0.5, 0.16, 25, 900, noise);
    } else {
      AddKick(left, at, rate, 0.8);
      if (inBar == 1 || inBar == 3) AddNoiseHit(left, at, rate, 0.3, 0.12, 30, 1200, noise);
    }
    AddNoiseHit(right, half, rate, 0.18, 0.05, 80, 6000, noise);  // off-beat hat
    AddBass(left, at, static_cast<size_t>(beat * 0.9), rate, bassNotes[(b / 4) % 4], 0.35);
  }
  // Mix: the kit mostly in the middle, the hats a little to the right.
  std::vector<int16_t> pcm(total * 2);
  for (size_t i = 0; i < total; ++i) {
    double l = left[i] + 0.4 * right[i], r = left[i] * 0.9 + right[i];
    pcm[2 * i] = static_cast<int16_t>(std::lround(std::max(-1.0, std::min(1.0, l * 0.7)) * 32000));
    pcm[2 * i + 1] =
        static_cast<int16_t>(std::lround(std::max(-1.0, std::min(1.0, r * 0.7)) * 32000));
  }
  std::string error;
  if (!tempyra::testsignal::writeWav(argv[1], {static_cast<int>(rate), 2, std::move(pcm)}, error)) {
    std::fprintf(stderr, "tempyra-drumgen: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
