// Display text for names from the file system: valid UTF-8 unchanged, every
// byte outside a well-formed sequence one replacement character, so that a
// name never shows as empty and the rest of it stays readable.
#include "ui/display_text.h"

#include <gtest/gtest.h>

namespace {

const std::string kReplacement = "\xEF\xBF\xBD";

}  // namespace

TEST(DisplayText, ValidUtf8IsKept) {
  for (const std::string text : {"", "/music/Track 01.mp3", "/m/Caf\xC3\xA9.mp3", "\xE2\x82\xAC",
                                 "\xF0\x9F\x8E\xB5", "\xEF\xBF\xBD", "\xF4\x8F\xBF\xBF"}) {
    EXPECT_TRUE(IsValidUtf8(text)) << text;
    EXPECT_EQ(DisplayText(text), text);
  }
}

TEST(DisplayText, EachStrayByteBecomesOneReplacementCharacter) {
  // Latin-1 "é" in a folder and a file name.
  EXPECT_EQ(DisplayText("/m/Caf\xE9/\xE9t\xE9.mp3"),
            "/m/Caf" + kReplacement + "/" + kReplacement + "t" + kReplacement + ".mp3");
  EXPECT_FALSE(IsValidUtf8("/m/Caf\xE9"));
  // A name of invalid bytes only is never empty.
  EXPECT_EQ(DisplayText("\xFF\xFE"), kReplacement + kReplacement);
  // A sequence cut short at the end, and one broken by an ASCII byte.
  EXPECT_EQ(DisplayText("ab\xE2\x82"), "ab" + kReplacement + kReplacement);
  EXPECT_EQ(DisplayText("\xC3"
                        "A"),
            kReplacement + "A");
  // A valid sequence right after a stray byte is kept.
  EXPECT_EQ(DisplayText("\xE9\xC3\xA9"), kReplacement + "\xC3\xA9");
}

TEST(DisplayText, MalformedFormsAreNotPassedOn) {
  // Overlong "/" (C0 AF, E0 80 AF), a UTF-16 surrogate (ED A0 80), a value
  // above U+10FFFF (F4 90 80 80), a lone continuation byte: the toolkit
  // would refuse the whole text for any of them.
  for (const std::string text : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                                 "\x80", "\xF8\x88\x80\x80\x80"}) {
    EXPECT_FALSE(IsValidUtf8(text));
    const std::string shown = DisplayText(text);
    EXPECT_TRUE(IsValidUtf8(shown));
    EXPECT_EQ(shown.size(), text.size() * kReplacement.size()) << "every byte replaced";
  }
}
