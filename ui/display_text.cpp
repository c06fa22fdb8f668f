// Display text for names from the file system. See display_text.h.
#include "ui/display_text.h"

namespace {

// "\xEF\xBF\xBD": U+FFFD REPLACEMENT CHARACTER in UTF-8.
constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 sequence at the start of `bytes`, or
// 0 when none starts there. The ranges of the second byte rule out overlong
// forms, surrogates and values above U+10FFFF.
size_t SequenceAt(std::string_view bytes) {
  const auto at = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const unsigned char lead = at(0);
  if (lead < 0x80) return 1;
  size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (bytes.size() < length) return 0;
  if (at(1) < low || at(1) > high) return 0;
  for (size_t i = 2; i < length; ++i)
    if (!IsContinuation(at(i))) return 0;
  return length;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  while (!bytes.empty()) {
    const size_t length = SequenceAt(bytes);
    if (length == 0) return false;
    bytes.remove_prefix(length);
  }
  return true;
}

std::string DisplayText(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  std::string shown;
  shown.reserve(bytes.size() + 16);
  while (!bytes.empty()) {
    const size_t length = SequenceAt(bytes);
    if (length == 0) {
      shown += kReplacementCharacter;
      bytes.remove_prefix(1);
    } else {
      shown += bytes.substr(0, length);
      bytes.remove_prefix(length);
    }
  }
  return shown;
}
