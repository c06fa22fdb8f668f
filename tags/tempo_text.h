// The text of a TBPM frame: reading the forms other programs write, and
// writing ours.
//
// ID3v2 makes TBPM a whole number ("128"); many programs write decimals
// ("128.00", some with a decimal comma) and some write hundredths without a
// separator ("12800"). A value above 500 is taken as hundredths. A tempo is
// a value from 1 to 500 BPM; anything else in the frame ("0", "", words) is
// not a tempo. Both directions are independent of the locale.
#pragma once

#include <optional>
#include <string>
#include <string_view>

constexpr double kTagMinTempo = 1.0;
constexpr double kTagMaxTempo = 500.0;
constexpr int kTagMaxDecimals = 2;

// The tempo a TBPM text holds, or nothing when it holds none.
std::optional<double> ParseTempoText(std::string_view text);

// The text for `bpm` with `decimals` (0 to 2) decimals, rounded, or nothing
// when decimals is out of range or the text would not read back as a tempo
// (not finite, below 1, above 500).
std::optional<std::string> FormatTempoText(double bpm, int decimals);
