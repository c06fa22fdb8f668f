// Long paths in message boxes: every line within the width, broken after
// path separators where it can be, nothing lost or changed but the breaks.
#include "ui/message_text.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

// A font of 7 pixels a character (a UTF-8 sequence is one character).
int SevenPixels(std::string_view text) {
  int characters = 0;
  for (char byte : text) characters += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
  return 7 * characters;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string WithoutBreaks(std::string text) {
  std::erase(text, '\n');
  return text;
}

}  // namespace

TEST(MessageText, ShortLinesStayAsTheyAre) {
  const std::string text = "Unable to rename file!\n/m/a.mp3\nto\n/m/(120) a.mp3";
  EXPECT_EQ(BreakLongLines(text, 420, SevenPixels), text);
  EXPECT_EQ(BreakLongLines("", 420, SevenPixels), "");
}

TEST(MessageText, ALongPathBreaksAfterItsSeparators) {
  const std::string name(250, 'n');
  const std::string path = "/home/dj/Music/Sets/Friday night/" + name + ".mp3";
  const std::string text = "Unable to rename file!\n" + path + "\nto\n/home/dj/(0) x.mp3";
  const std::string broken = BreakLongLines(text, 420, SevenPixels);  // 60 characters
  for (const std::string& line : Lines(broken)) EXPECT_LE(SevenPixels(line), 420) << line;
  // Only line breaks were added, and the original lines still start lines.
  EXPECT_EQ(WithoutBreaks(broken), WithoutBreaks(text));
  const std::vector<std::string> lines = Lines(broken);
  EXPECT_EQ(lines[0], "Unable to rename file!");
  // The folders fit one line, which ends at a separator; the name is then
  // cut into lines of exactly 60 characters.
  EXPECT_EQ(lines[1], "/home/dj/Music/Sets/Friday night/");
  EXPECT_EQ(lines[2], std::string(60, 'n'));
  EXPECT_EQ(lines.back(), "/home/dj/(0) x.mp3");
  EXPECT_EQ(lines[lines.size() - 2], "to");
}

TEST(MessageText, BreaksNeverSplitACharacter) {
  // 100 two-byte characters without a separator.
  std::string name;
  for (int i = 0; i < 100; ++i) name += "\xC3\xA9";
  const std::string broken = BreakLongLines(name, 70, SevenPixels);  // 10 characters a line
  const std::vector<std::string> lines = Lines(broken);
  ASSERT_EQ(lines.size(), 10u);
  for (const std::string& line : lines) EXPECT_EQ(line.size(), 20u);
  EXPECT_EQ(WithoutBreaks(broken), name);
  // Narrower than one character: one character a line, none lost.
  EXPECT_EQ(Lines(BreakLongLines("abc", 3, SevenPixels)),
            (std::vector<std::string>{"a", "b", "c"}));
}
