// Polyphase analysis filterbank: 32 new input samples in, 32 subband samples out.
//
// The standard's encoder filterbank: a 512-sample history, windowed by the
// analysis window, folded into 64 values and matrixed with
// cos((2i + 1)(k - 16) pi / 64). It is the counterpart of the decoder's
// synthesis, so a decoder reproduces the input (delayed) from its output.
#pragma once

#include <array>

namespace tempyra::layer1enc {

class AnalysisFilterbank {
 public:
  AnalysisFilterbank();

  // input: 32 consecutive samples, oldest first, full scale 1.0.
  // subbands: 32 subband samples, subband 0 (lowest) first.
  void process(const double* input, double* subbands);

 private:
  std::array<double, 512> history_{};  // history_[0] is the newest sample
  std::array<double, 512> window_{};
  std::array<std::array<double, 64>, 32> matrix_{};
};

}  // namespace tempyra::layer1enc
