// TBPM texts. See tempo_text.h.
#include "tags/tempo_text.h"

#include <charconv>
#include <cmath>

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0';
}

}  // namespace

std::optional<double> ParseTempoText(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  // Digits, then at most one decimal point or comma followed by digits.
  std::string number;
  bool separator = false;
  bool digitBefore = false, digitAfter = false;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      (separator ? digitAfter : digitBefore) = true;
      number += c;
    } else if ((c == '.' || c == ',') && !separator) {
      separator = true;
      number += '.';
    } else {
      return std::nullopt;
    }
  }
  if (!digitBefore || (separator && !digitAfter)) return std::nullopt;
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error != std::errc() || end != number.data() + number.size()) return std::nullopt;
  if (value > kTagMaxTempo) value /= 100;  // hundredths: "12800" is 128.00
  if (!(value >= kTagMinTempo && value <= kTagMaxTempo)) return std::nullopt;
  return value;
}

std::optional<std::string> FormatTempoText(double bpm, int decimals) {
  if (decimals < 0 || decimals > kTagMaxDecimals || !std::isfinite(bpm)) return std::nullopt;
  char buffer[64];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, bpm, std::chars_format::fixed, decimals);
  if (error != std::errc()) return std::nullopt;
  std::string text(buffer, end);
  // What other programs read must be the tempo written: 500.4 with no
  // decimals is "500", but 500.5 would be "501", which reads as 5.01.
  const std::optional<double> readBack = ParseTempoText(text);
  if (!readBack || std::fabs(*readBack - bpm) > 0.5 * std::pow(10.0, -decimals) + 1e-9)
    return std::nullopt;
  return text;
}
