// Tempo folding. See tempo_folding.h.
#include "engine/tempo_folding.h"

#include <cmath>

double FoldTempo(double bpm, std::optional<double> minimum, std::optional<double> maximum) {
  if (!(bpm > 0.0) || !std::isfinite(bpm)) return bpm;
  if (minimum && *minimum > 0.0 && std::isfinite(*minimum))
    while (*minimum > bpm) bpm *= 2.0;
  if (maximum && *maximum > 0.0 && std::isfinite(*maximum))
    while (*maximum < bpm) bpm *= 0.5;
  return bpm;
}
