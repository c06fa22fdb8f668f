// Linear-phase low-pass FIR filter (Kaiser-windowed sinc).
//
// The reference checks compare our decoder with another one only on signals
// that carry nothing above the highest spectral line our decoder decodes, so
// test signals are passed through this filter: everything at or above the
// stop-band edge is attenuated by at least the requested amount (90 dB by
// default), which is far below one step of 16-bit PCM for our signals.
#pragma once

#include <vector>

namespace tempyra::testsignal {

class LowpassFilter {
 public:
  // stopHz: start of the stop band; transitionHz: width of the transition
  // band below it; attenuationDb: stop-band attenuation.
  LowpassFilter(double sampleRate, double stopHz, double transitionHz, double attenuationDb = 90.0);

  // Filters the whole signal with zero phase (the filter is centred), so the
  // output is as long as the input and not delayed.
  std::vector<double> apply(const std::vector<double>& input) const;

  const std::vector<double>& taps() const { return taps_; }

 private:
  std::vector<double> taps_;
};

}  // namespace tempyra::testsignal
