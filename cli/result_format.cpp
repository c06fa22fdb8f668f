// Result lines. See result_format.h.
#include "cli/result_format.h"

#include <cmath>
#include <cstdio>

namespace {

std::string Fixed(double value, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  return buffer;
}

// A JSON string: quotes, backslashes and control characters escaped; bytes
// that are not valid UTF-8 are written as \u00XX of the byte (Latin-1 view),
// so that every file name gives valid JSON.
std::string JsonString(const std::string& text) {
  std::string out = "\"";
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    unsigned char c = s[i];
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
      out += buffer;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      // Length of a well-formed UTF-8 sequence starting here, 0 if none.
      size_t length = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c <= 0xDF ? 2 : 0;
      if (c >= 0xF5) length = 0;
      bool valid = length != 0 && i + length <= n;
      for (size_t k = 1; valid && k < length; ++k) valid = (s[i + k] & 0xC0) == 0x80;
      if (valid && length == 3) {
        unsigned cp = ((c & 0x0F) << 12) | ((s[i + 1] & 0x3F) << 6);
        valid = cp >= 0x800 && !(cp >= 0xD800 && cp <= 0xDFFF);
      }
      if (valid && length == 4) {
        unsigned cp = ((c & 0x07) << 18) | ((s[i + 1] & 0x3F) << 12);
        valid = cp >= 0x10000 && cp <= 0x10FFFF;
      }
      if (valid) {
        out.append(text, i, length);
        i += length - 1;
      } else {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
        out += buffer;
      }
    }
  }
  return out + "\"";
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

}  // namespace

std::string FormatHeader(OutputFormat format) {
  return format == OutputFormat::kCsv ? "path,bpm,status,duration,sample_rate" : "";
}

std::string FormatResult(const TrackResult& r, OutputFormat format) {
  const std::string bpm = r.ok ? Fixed(r.bpm, 2) : "";
  const std::string status = r.tagged ? "tagged" : r.ok ? "ok" : "failed";
  switch (format) {
    case OutputFormat::kText:
      return (r.ok ? bpm : "failed") + "\t" + r.path;
    case OutputFormat::kCsv:
      return CsvField(r.path) + "," + bpm + "," + status + "," + Fixed(r.durationSeconds, 3) + "," +
             (r.sampleRate ? std::to_string(r.sampleRate) : "");
    case OutputFormat::kJson: {
      std::string line =
          "{\"path\":" + JsonString(r.path) + ",\"bpm\":" + (r.ok ? bpm : "null") +
          ",\"status\":\"" + status + "\",\"duration\":" + Fixed(r.durationSeconds, 3) +
          ",\"sample_rate\":" + (r.sampleRate ? std::to_string(r.sampleRate) : "null");
      if (r.ok && std::isfinite(r.confidence)) line += ",\"confidence\":" + Fixed(r.confidence, 3);
      if (!r.ok && !r.reason.empty()) line += ",\"reason\":" + JsonString(r.reason);
      if (!r.tagText.empty()) line += ",\"tag\":" + JsonString(r.tagText);
      if (!r.tagError.empty()) line += ",\"tag_error\":" + JsonString(r.tagError);
      return line + "}";
    }
  }
  return "";
}
