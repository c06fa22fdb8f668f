// tempyra-signalgen: writes a deterministic test signal as a 16-bit PCM WAV
// file, optionally band-limited so that it stays below a decoder's highest
// decoded frequency. Used by the reference checks and the decoding benchmark.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "lowpass_filter.h"
#include "signals.h"
#include "wav_file.h"

using namespace tempyra::testsignal;

namespace {

void usage() {
  std::fprintf(stderr,
               "usage: tempyra-signalgen -o OUT.wav [options]\n"
               "  --kind K          signal kind:");
  for (const std::string& kind : signalKinds()) std::fprintf(stderr, " %s", kind.c_str());
  std::fprintf(stderr,
               " (default mix)\n"
               "  --rate HZ         sampling rate (default 44100)\n"
               "  --channels N      1 or 2 (default 2)\n"
               "  --seconds S       length (default 5)\n"
               "  --stereo MODE     how the right channel differs from the left:\n"
               "                    same, correlated (mostly common, a little different:\n"
               "                    mid/side material), different (another signal), left\n"
               "                    (right channel silent); default correlated\n"
               "  --lowpass HZ      band-limit: nothing at or above HZ (90 dB down)\n"
               "  --transition HZ   width of the filter's transition band (default rate/64)\n"
               "  --peak P          peak level, fraction of full scale (default 0.5)\n"
               "  --freq HZ         frequency of the tone kind (default 1000)\n"
               "  --seed N          seed of the noise generators (default 1)\n");
}

bool parseNumber(const char* text, double& value) {
  char* end = nullptr;
  value = std::strtod(text, &end);
  return end != text && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
  std::string output, kind = "mix", stereo = "correlated";
  double rate = 44100, channels = 2, seconds = 5, lowpass = 0, transition = 0, peak = 0.5,
         freq = 1000, seed = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) {
      usage();
      return 2;
    }
    const char* value = argv[++i];
    bool ok = true;
    if (arg == "-o")
      output = value;
    else if (arg == "--kind")
      kind = value;
    else if (arg == "--stereo")
      stereo = value;
    else if (arg == "--rate")
      ok = parseNumber(value, rate);
    else if (arg == "--channels")
      ok = parseNumber(value, channels);
    else if (arg == "--seconds")
      ok = parseNumber(value, seconds);
    else if (arg == "--lowpass")
      ok = parseNumber(value, lowpass);
    else if (arg == "--transition")
      ok = parseNumber(value, transition);
    else if (arg == "--peak")
      ok = parseNumber(value, peak);
    else if (arg == "--freq")
      ok = parseNumber(value, freq);
    else if (arg == "--seed")
      ok = parseNumber(value, seed);
    else
      ok = false;
    if (!ok) {
      std::fprintf(stderr, "tempyra-signalgen: bad option %s %s\n", arg.c_str(), value);
      usage();
      return 2;
    }
  }
  if (output.empty() || (channels != 1 && channels != 2) || rate < 1000 || seconds <= 0 ||
      peak <= 0 || peak > 1 ||
      (stereo != "same" && stereo != "correlated" && stereo != "different" && stereo != "left")) {
    usage();
    return 2;
  }

  SignalRequest request;
  request.kind = kind;
  request.sampleRate = static_cast<int>(rate);
  request.length = static_cast<std::size_t>(std::llround(seconds * rate));
  request.seed = static_cast<uint32_t>(seed);
  request.toneHz = freq;
  std::vector<std::vector<double>> tracks(static_cast<std::size_t>(channels));
  if (!generateSignal(request, tracks[0])) {
    std::fprintf(stderr, "tempyra-signalgen: unknown kind %s\n", kind.c_str());
    usage();
    return 2;
  }
  if (channels == 2) {
    SignalRequest other = request;
    other.variant = 1;
    std::vector<double> second;
    if (stereo == "correlated" || stereo == "different") generateSignal(other, second);
    std::vector<double>& left = tracks[0];
    std::vector<double>& right = tracks[1];
    right.assign(left.size(), 0.0);
    for (std::size_t n = 0; n < left.size(); ++n) {
      if (stereo == "same")
        right[n] = left[n];
      else if (stereo == "different")
        right[n] = second[n];
      else if (stereo == "correlated") {
        const double common = left[n];
        left[n] = common + 0.2 * second[n];
        right[n] = common - 0.2 * second[n];
      }
    }
  }
  if (lowpass > 0) {
    if (transition <= 0) transition = rate / 64.0;
    if (lowpass - transition <= 0 || lowpass >= rate / 2) {
      std::fprintf(
          stderr,
          "tempyra-signalgen: low-pass edge must lie between the transition width and rate/2\n");
      return 2;
    }
    const LowpassFilter filter(rate, lowpass, transition);
    // Silence beyond the filter's reach at both ends keeps the filtered
    // signal band-limited up to the first and last sample.
    for (auto& track : tracks) {
      applyEdgeFades(track, filter.taps().size() / 2 + 1, static_cast<std::size_t>(rate / 100));
      track = filter.apply(track);
    }
  } else {
    for (auto& track : tracks) applyEdgeFades(track, 0, static_cast<std::size_t>(rate / 100));
  }

  double maximum = 0.0;
  for (const auto& track : tracks)
    for (double v : track) maximum = std::max(maximum, std::abs(v));
  const double scale = maximum > 0 ? peak * 32767.0 / maximum : 0.0;

  WavAudio audio;
  audio.sampleRate = request.sampleRate;
  audio.channels = static_cast<int>(channels);
  audio.samples.resize(request.length * tracks.size());
  for (std::size_t n = 0; n < request.length; ++n)
    for (std::size_t c = 0; c < tracks.size(); ++c)
      audio.samples[n * tracks.size() + c] =
          static_cast<int16_t>(std::lround(tracks[c][n] * scale));

  std::string error;
  if (!writeWav(output, audio, error)) {
    std::fprintf(stderr, "tempyra-signalgen: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
