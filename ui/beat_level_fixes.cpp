// Beat-level fixes. See beat_level_fixes.h.
#include "ui/beat_level_fixes.h"

#include <cmath>

#include "ui/bpm_text.h"

std::optional<double> FixedTempo(TempoFix fix, double bpm, std::optional<double> alternative) {
  double fixed = 0;
  switch (fix) {
    case TempoFix::kDouble:
      fixed = bpm * 2;
      break;
    case TempoFix::kHalve:
      fixed = bpm / 2;
      break;
    case TempoFix::kThreeHalves:
      fixed = bpm * 3 / 2;
      break;
    case TempoFix::kTwoThirds:
      fixed = bpm * 2 / 3;
      break;
    case TempoFix::kSecondBest:
      if (!alternative) return std::nullopt;
      fixed = *alternative;
      break;
  }
  if (!std::isfinite(fixed) || fixed <= 0) return std::nullopt;
  return fixed;
}

std::string FixLabel(TempoFix fix, std::optional<double> alternative) {
  switch (fix) {
    case TempoFix::kDouble:
      return "Double";
    case TempoFix::kHalve:
      return "Halve";
    case TempoFix::kThreeHalves:
      return "x 3/2";
    case TempoFix::kTwoThirds:
      return "x 2/3";
    case TempoFix::kSecondBest:
      break;
  }
  if (!alternative) return "Second Best Level";
  return "Second Best Level: " + FormatFixed(*alternative, 2);
}
