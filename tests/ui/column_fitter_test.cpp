// The column's widest text from few measurements: with a font whose widths
// are known (and that kerns one pair), the column is never narrower than
// any text and never wider by more than the rounding, while only the
// characters and a few texts are measured.
#include "ui/column_fitter.h"

#include <gtest/gtest.h>

#include <string>

#include "ui/display_text.h"
#include "ui/track_list.h"

namespace {

// A font: 'W' is 13 pixels, digits 7, everything else 6; "AV" kerns by -2.
int FontWidth(std::string_view text) {
  int width = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    width += text[i] == 'W' ? 13 : (text[i] >= '0' && text[i] <= '9' ? 7 : 6);
    if (i > 0 && text[i - 1] == 'A' && text[i] == 'V') width -= 2;
  }
  return width;
}

struct CountingFont {
  int operator()(std::string_view text) {
    ++calls;
    return FontWidth(text);
  }
  int calls = 0;
};

}  // namespace

TEST(ColumnFitter, FitsTheWidestTextMeasuringFew) {
  CountingFont font;
  ColumnFitter fitter(1, [&](std::string_view text) { return font(text); });
  TrackList tracks;
  for (int i = 0; i < 5000; ++i) tracks.AppendRow("/music/track " + std::to_string(i) + ".mp3");
  tracks.AppendRow("/music/WWWWWWWWWW.mp3");  // fewer bytes, more pixels
  const int widest = fitter.Widest(tracks, "FileName");
  int exact = FontWidth("FileName");
  for (int row = 0; row < tracks.RowCount(); ++row)
    exact = std::max(exact, FontWidth(tracks.Row(row).fileName));
  EXPECT_GE(widest, exact);
  EXPECT_LE(widest, exact + 1);
  // Each character once, the header and a handful of whole texts.
  EXPECT_LT(font.calls, 40);
}

TEST(ColumnFitter, FollowsChangedRowsBothWays) {
  CountingFont font;
  ColumnFitter fitter(0, [&](std::string_view text) { return font(text); });
  TrackList tracks;
  for (int i = 0; i < 20; ++i) tracks.AppendRow("/a.mp3");
  EXPECT_EQ(fitter.Widest(tracks, "BPM"), FontWidth("BPM"));  // empty texts
  tracks.SetBpm(3, "127.86");
  fitter.Invalidate(3);
  EXPECT_EQ(fitter.Widest(tracks, "BPM"), FontWidth("127.86"));
  tracks.SetBpm(4, "WWWWW");
  fitter.Invalidate(4);
  EXPECT_EQ(fitter.Widest(tracks, "BPM"), FontWidth("WWWWW"));
  tracks.SetBpm(4, "1");
  fitter.Invalidate(4);
  EXPECT_EQ(fitter.Widest(tracks, "BPM"), FontWidth("127.86"));
  tracks.DeleteAllRows();
  fitter.InvalidateAll();
  EXPECT_EQ(fitter.Widest(tracks, "BPM"), FontWidth("BPM"));
}

TEST(ColumnFitter, KerningMakesTheColumnAtMostSlightlyWider) {
  ColumnFitter fitter(1, FontWidth);
  TrackList tracks;
  tracks.AppendRow("AVAVAVAV");
  tracks.AppendRow("12345");
  // The estimate knows no kerning (48 pixels); the text measured whole is 40.
  EXPECT_EQ(fitter.Widest(tracks, ""), 48);
}

TEST(ColumnFitter, MeasuresNamesThatAreNotUtf8AsTheListShowsThem) {
  // A toolkit font: it measures only UTF-8 (anything else is no text at
  // all, as the toolkit converts it) and draws U+FFFD 10 pixels wide.
  auto font = [](std::string_view text) {
    if (!IsValidUtf8(text)) return 0;
    int width = 0;
    for (size_t i = 0; i < text.size();) {
      if (text.substr(i, 3) == "\xEF\xBF\xBD") {
        width += 10;
        i += 3;
      } else {
        width += FontWidth(text.substr(i, 1));
        ++i;
      }
    }
    return width;
  };
  ColumnFitter fitter(1, font);
  TrackList tracks;
  tracks.AppendRow("/m/Caf\xE9\xE9\xE9\xE9\xE9\xE9.mp3");  // Latin-1 "é" six times
  tracks.AppendRow("/m/abcdefg.mp3");
  EXPECT_EQ(fitter.Widest(tracks, ""), FontWidth("/m/Caf.mp3") + 6 * 10);
}
