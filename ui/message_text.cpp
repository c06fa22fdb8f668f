// Message texts that fit the screen. See message_text.h.
#include "ui/message_text.h"

#include <vector>

namespace {

bool IsContinuation(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// The line's pieces, each ending just after a separator or a space (the
// last one at the end of the line).
std::vector<std::string_view> Pieces(std::string_view line) {
  std::vector<std::string_view> pieces;
  size_t start = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '/' || line[i] == ' ') {
      pieces.push_back(line.substr(start, i + 1 - start));
      start = i + 1;
    }
  }
  if (start < line.size()) pieces.push_back(line.substr(start));
  return pieces;
}

// Appends `piece`, too wide for a line of its own, as lines of the most
// characters that fit; the last, shorter part stays open in `line`.
void BreakBetweenCharacters(std::string_view piece, int maxWidth, const MeasureText& measure,
                            std::string& out, std::string& line) {
  while (!piece.empty()) {
    // The longest prefix that fits, by whole characters; at least one.
    size_t fits = 0;
    size_t end = 0;
    while (end < piece.size()) {
      size_t next = end + 1;
      while (next < piece.size() && IsContinuation(piece[next])) ++next;
      if (fits > 0 && measure(piece.substr(0, next)) > maxWidth) break;
      fits = next;
      end = next;
    }
    if (fits == piece.size()) {
      line.assign(piece);
      return;
    }
    out.append(piece.substr(0, fits)).push_back('\n');
    piece.remove_prefix(fits);
  }
}

void BreakLine(std::string_view text, int maxWidth, const MeasureText& measure, std::string& out) {
  if (measure(text) <= maxWidth) {
    out.append(text);
    return;
  }
  std::string line;
  for (std::string_view piece : Pieces(text)) {
    if (!line.empty() && measure(line + std::string(piece)) <= maxWidth) {
      line.append(piece);
      continue;
    }
    if (!line.empty()) {
      out.append(line).push_back('\n');
      line.clear();
    }
    if (measure(piece) <= maxWidth)
      line.assign(piece);
    else
      BreakBetweenCharacters(piece, maxWidth, measure, out, line);
  }
  out.append(line);
}

}  // namespace

std::string BreakLongLines(std::string_view text, int maxWidth, const MeasureText& measure) {
  std::string out;
  out.reserve(text.size() + 16);
  for (;;) {
    const size_t end = text.find('\n');
    BreakLine(text.substr(0, end), maxWidth, measure, out);
    if (end == std::string_view::npos) return out;
    out.push_back('\n');
    text.remove_prefix(end + 1);
  }
}
