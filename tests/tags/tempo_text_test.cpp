// The TBPM texts: the forms other programs write, read; ours, written.
#include "tags/tempo_text.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

double Read(const char* text) {
  return ParseTempoText(text).value_or(-1);
}

TEST(TempoText, ReadsWholeDecimalAndHundredthsForms) {
  EXPECT_DOUBLE_EQ(Read("128"), 128);
  EXPECT_DOUBLE_EQ(Read("128.00"), 128);
  EXPECT_DOUBLE_EQ(Read("119.77"), 119.77);
  EXPECT_DOUBLE_EQ(Read("128,5"), 128.5);  // a decimal comma
  EXPECT_DOUBLE_EQ(Read(" 87 "), 87);
  EXPECT_DOUBLE_EQ(Read("12800"), 128);  // above 500: hundredths
  EXPECT_DOUBLE_EQ(Read("11977"), 119.77);
  EXPECT_DOUBLE_EQ(Read("500"), 500);  // the last whole tempo
  EXPECT_DOUBLE_EQ(Read("501"), 5.01);
  EXPECT_DOUBLE_EQ(Read("50000"), 500);
}

TEST(TempoText, TextsWithoutATempoGiveNone) {
  for (const char* text : {"", " ", "0", "0.00", "0.5", "50001", "-128", "+128", "128bpm", "1e2",
                           ".5", "128.", "1.2.3", "12,8.0", "abc", "0x80"})
    EXPECT_FALSE(ParseTempoText(text).has_value()) << '"' << text << '"';
}

TEST(TempoText, WritesTheRoundedTempoWithTheDecimalsAsked) {
  EXPECT_EQ(FormatTempoText(119.77, 0).value_or("?"), "120");
  EXPECT_EQ(FormatTempoText(119.77, 1).value_or("?"), "119.8");
  EXPECT_EQ(FormatTempoText(119.77, 2).value_or("?"), "119.77");
  EXPECT_EQ(FormatTempoText(128, 2).value_or("?"), "128.00");
  EXPECT_EQ(FormatTempoText(89.4, 0).value_or("?"), "89");
  EXPECT_EQ(FormatTempoText(500.4, 0).value_or("?"), "500");
}

TEST(TempoText, RefusesWhatWouldNotReadBackAsTheTempo) {
  EXPECT_FALSE(FormatTempoText(500.6, 0));  // "501" reads as 5.01
  EXPECT_FALSE(FormatTempoText(640, 2));
  EXPECT_FALSE(FormatTempoText(0.4, 0));
  EXPECT_FALSE(FormatTempoText(-120, 0));
  EXPECT_FALSE(FormatTempoText(std::nan(""), 0));
  EXPECT_FALSE(FormatTempoText(INFINITY, 2));
  EXPECT_FALSE(FormatTempoText(120, 3));
  EXPECT_FALSE(FormatTempoText(120, -1));
}

TEST(TempoText, EveryWrittenTextReadsBackAsTheRoundedTempo) {
  for (int decimals = 0; decimals <= kTagMaxDecimals; ++decimals) {
    for (double bpm = 1; bpm <= 500; bpm += 0.37) {
      const std::optional<std::string> text = FormatTempoText(bpm, decimals);
      ASSERT_TRUE(text) << bpm;
      EXPECT_NEAR(ParseTempoText(*text).value_or(-1), bpm, 0.5 * std::pow(10, -decimals) + 1e-9)
          << *text;
    }
  }
}

}  // namespace
