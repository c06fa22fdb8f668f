// FoldTempo: brings a measured tempo into the range a user wants by doubling
// it while it is below the minimum and then halving it while it is above the
// maximum. The minimum folding runs first, so when no power-of-two multiple
// lies between the two limits the maximum wins. Only positive finite values
// are folded; anything else is returned unchanged.
#pragma once

#include <optional>

double FoldTempo(double bpm, std::optional<double> minimum, std::optional<double> maximum);
