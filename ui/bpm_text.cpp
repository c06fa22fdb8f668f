// Tempo text, read and written. See bpm_text.h.
#include "ui/bpm_text.h"

#include <cctype>
#include <charconv>
#include <cmath>

double ParseBpmText(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // from_chars takes neither a sign nor the "0x" of a hexadecimal number.
  std::chars_format format = std::chars_format::general;
  if (i + 2 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
      (std::isxdigit(static_cast<unsigned char>(text[i + 2])) ||
       (text[i + 2] == '.' && i + 3 < text.size() &&
        std::isxdigit(static_cast<unsigned char>(text[i + 3]))))) {
    format = std::chars_format::hex;
    i += 2;
  }
  double value = 0.0;
  const char* first = text.data() + i;
  const std::from_chars_result result =
      std::from_chars(first, text.data() + text.size(), value, format);
  if (result.ec == std::errc::invalid_argument) return 0.0;
  if (result.ec == std::errc::result_out_of_range) {
    // atof gives HUGE_VAL for an overflow and a value near 0 for an underflow.
    const std::string_view digits(first, static_cast<size_t>(result.ptr - first));
    const bool tiny = digits.find_first_of("eEpP") != std::string_view::npos &&
                      digits.find('-', digits.find_first_of("eEpP")) != std::string_view::npos;
    value = tiny ? 0.0 : HUGE_VAL;
  }
  return negative ? -value : value;
}

std::string FormatFixed(double value, int decimals) {
  if (decimals < 0) decimals = 0;
  if (decimals > 2) decimals = 2;
  char buffer[400];  // the longest fixed-point double with 2 decimals fits
  const std::to_chars_result result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return {};
  return std::string(buffer, result.ptr);
}
