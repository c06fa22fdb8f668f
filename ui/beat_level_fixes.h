// Quick fixes of a row's beat level, offered by the list's row menu (a
// right click on a row, or the context-menu key): the tempo doubled,
// halved, times 3/2 or 2/3, or, after a precise run, the estimator's
// second-best level. And the confidence below which a precise run's row
// is marked for checking.
#pragma once

#include <optional>
#include <string>

enum class TempoFix {
  kDouble,
  kHalve,
  kThreeHalves,
  kTwoThirds,
  kSecondBest,
};

struct RowMenuItem {
  TempoFix fix = TempoFix::kDouble;
  std::string label;
  bool enabled = true;
};

// A precise run's row whose confidence is below this gets the "check me"
// image. Chosen on the development half of the evaluation set, where rows
// below it are 23 % of the files and hold 83 % of the misses (held-out
// half: 29 % of the files, 90 % of the misses).
inline constexpr double kUnsureConfidence = 0.8;

// The tempo `fix` gives a row showing `bpm` with the runner-up level
// `alternative`; nothing when the fix does not apply (no alternative, or
// a result that is not a positive finite tempo).
std::optional<double> FixedTempo(TempoFix fix, double bpm, std::optional<double> alternative);

// The menu text of a fix; the second-best level shows its value.
std::string FixLabel(TempoFix fix, std::optional<double> alternative);
