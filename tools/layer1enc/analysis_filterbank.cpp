// The polyphase analysis filterbank of the Layer I test encoder.
#include "analysis_filterbank.h"

#include <cmath>
#include <numbers>

#include "layer1_tables.h"

namespace tempyra::layer1enc {

AnalysisFilterbank::AnalysisFilterbank() {
  for (int i = 0; i < 512; ++i)
    window_[static_cast<std::size_t>(i)] = kAnalysisWindowK[i] / 2097152.0;
  for (int i = 0; i < 32; ++i)
    for (int k = 0; k < 64; ++k)
      matrix_[static_cast<std::size_t>(i)][static_cast<std::size_t>(k)] =
          std::cos((2 * i + 1) * (k - 16) * std::numbers::pi / 64.0);
}

void AnalysisFilterbank::process(const double* input, double* subbands) {
  for (int i = 511; i >= 32; --i)
    history_[static_cast<std::size_t>(i)] = history_[static_cast<std::size_t>(i - 32)];
  // The oldest of the 32 new samples goes to position 31, the newest to 0.
  for (int i = 0; i < 32; ++i) history_[static_cast<std::size_t>(31 - i)] = input[i];
  std::array<double, 64> folded{};
  for (int i = 0; i < 64; ++i) {
    double sum = 0.0;
    for (int j = 0; j < 8; ++j) {
      const std::size_t n = static_cast<std::size_t>(i + 64 * j);
      sum += window_[n] * history_[n];
    }
    folded[static_cast<std::size_t>(i)] = sum;
  }
  for (int i = 0; i < 32; ++i) {
    double sum = 0.0;
    for (int k = 0; k < 64; ++k)
      sum += matrix_[static_cast<std::size_t>(i)][static_cast<std::size_t>(k)] *
             folded[static_cast<std::size_t>(k)];
    subbands[i] = sum;
  }
}

}  // namespace tempyra::layer1enc
