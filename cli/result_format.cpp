// Result lines. See result_format.h.
#include "cli/result_format.h"

#include <cmath>
#include <cstdio>

#include "cli/text_encoding.h"

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
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
      continue;
    }
    const size_t length = c < 0x20 ? 0 : Utf8SequenceLength(text, i);
    if (length == 0) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
      out += buffer;
    } else {
      out.append(text, i, length);
      i += length - 1;
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
      return (r.ok ? bpm : "failed") + "\t" + QuoteName(r.path);
    case OutputFormat::kCsv:
      return CsvField(r.path) + "," + bpm + "," + status + "," + Fixed(r.durationSeconds, 3) + "," +
             (r.sampleRate ? std::to_string(r.sampleRate) : "");
    case OutputFormat::kJson: {
      // A name that is not UTF-8 reads in "path" like the valid name that
      // shows the same characters: "path_bytes" keeps its bytes.
      std::string line = "{\"path\":" + JsonString(r.path);
      if (!IsValidUtf8(r.path)) line += ",\"path_bytes\":\"" + Base64(r.path) + "\"";
      line += std::string(",\"bpm\":") + (r.ok ? bpm : "null") + ",\"status\":\"" + status +
              "\",\"duration\":" + Fixed(r.durationSeconds, 3) +
              ",\"sample_rate\":" + (r.sampleRate ? std::to_string(r.sampleRate) : "null");
      if (r.ok && std::isfinite(r.confidence)) line += ",\"confidence\":" + Fixed(r.confidence, 3);
      if (r.ok && std::isfinite(r.alternative) && std::isfinite(r.alternativeConfidence))
        line += ",\"alternative\":" + Fixed(r.alternative, 2) +
                ",\"alternative_confidence\":" + Fixed(r.alternativeConfidence, 3);
      if (!r.ok && !r.reason.empty()) line += ",\"reason\":" + JsonString(r.reason);
      if (!r.tagText.empty()) line += ",\"tag\":" + JsonString(r.tagText);
      if (!r.tagError.empty()) line += ",\"tag_error\":" + JsonString(r.tagError);
      return line + "}";
    }
  }
  return "";
}
