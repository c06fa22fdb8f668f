// Text helpers of the command line. See text_encoding.h.
#include "cli/text_encoding.h"

#include <cstdint>
#include <cstdio>

size_t Utf8SequenceLength(std::string_view text, size_t at) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();
  const unsigned char c = s[at];
  if (c < 0x80) return 1;
  size_t length = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c <= 0xDF ? 2 : 0;
  if (c >= 0xF5) length = 0;
  if (length == 0 || at + length > n) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((s[at + k] & 0xC0) != 0x80) return 0;
  }
  if (length == 3) {
    const unsigned cp = ((c & 0x0Fu) << 12) | ((s[at + 1] & 0x3Fu) << 6);
    if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  }
  if (length == 4) {
    const unsigned cp = ((c & 0x07u) << 18) | ((s[at + 1] & 0x3Fu) << 12);
    if (cp < 0x10000 || cp > 0x10FFFF) return 0;
  }
  return length;
}

bool IsValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const size_t length = Utf8SequenceLength(text, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

std::string Base64(std::string_view bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t n = bytes.size() - i < 3 ? bytes.size() - i : 3;
    uint32_t group = 0;
    for (size_t k = 0; k < 3; ++k)
      group = group << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
    for (size_t k = 0; k < 4; ++k) out += k <= n ? kDigits[(group >> (18 - 6 * k)) & 0x3F] : '=';
  }
  return out;
}

namespace {

// A character a terminal acts on instead of showing: C0 controls, DEL, and
// C1 controls, encoded in UTF-8 (C2 80 to C2 9F) or as single bytes
// 0x80-0x9F outside a UTF-8 sequence (which 8-bit terminals obey).
// Returns the bytes it takes at text[at], 0 when the character there is
// shown as it is.
size_t ControlLength(std::string_view text, size_t at) {
  const auto c = static_cast<unsigned char>(text[at]);
  if (c < 0x20 || c == 0x7F) return 1;
  const size_t length = Utf8SequenceLength(text, at);
  if (length == 0) return c <= 0x9F && c >= 0x80 ? 1 : 0;
  if (length == 2 && c == 0xC2 && static_cast<unsigned char>(text[at + 1]) <= 0x9F) return 2;
  return 0;
}

bool HasControl(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (ControlLength(text, i) != 0) return true;
  }
  return false;
}

}  // namespace

std::string QuoteName(std::string_view name) {
  if (!HasControl(name)) return std::string(name);
  enum { kOutside, kQuoted, kEscaped } state = kOutside;  // outside, in '...', in $'...'
  std::string out;
  auto enter = [&](decltype(state) wanted) {
    if (state == wanted) return;
    if (state != kOutside) out += '\'';
    if (wanted == kQuoted) out += '\'';
    if (wanted == kEscaped) out += "$'";
    state = wanted;
  };
  for (size_t i = 0; i < name.size();) {
    size_t length = ControlLength(name, i);
    if (length == 0 && Utf8SequenceLength(name, i) == 0) length = 1;  // not UTF-8
    if (length != 0) {
      enter(kEscaped);
      for (size_t k = 0; k < length; ++k) {
        const auto b = static_cast<unsigned char>(name[i + k]);
        if (b == '\n') {
          out += "\\n";
        } else if (b == '\t') {
          out += "\\t";
        } else {
          char octal[8];
          std::snprintf(octal, sizeof octal, "\\%03o", b);
          out += octal;
        }
      }
      i += length;
    } else if (name[i] == '\'') {
      enter(kOutside);
      out += "\\'";
      ++i;
    } else {
      enter(kQuoted);
      length = Utf8SequenceLength(name, i);
      out.append(name, i, length);
      i += length;
    }
  }
  enter(kOutside);
  return out;
}
