// Message texts that fit the screen. A message box is as wide as its widest
// line, and a path has no spaces at which the toolkit could wrap it: a file
// name of 250 bytes made a box over 2,000 pixels wide, off a laptop's
// screen. BreakLongLines breaks every line wider than the limit after a path
// separator (or a space), and a part that is still too wide between two
// characters, so that no line is wider than the limit. It only inserts line
// breaks: joining the lines again gives the text back.
#pragma once

#include <functional>
#include <string>
#include <string_view>

// Width in pixels of one line of text (UTF-8) in the message's font.
using MeasureText = std::function<int(std::string_view text)>;

// The text with a line break inserted wherever a line is wider than
// maxWidth. A single character wider than maxWidth stays on a line of its
// own. Breaks never split a UTF-8 sequence.
std::string BreakLongLines(std::string_view text, int maxWidth, const MeasureText& measure);
