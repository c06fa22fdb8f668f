// ColumnFitter: the width a track list column needs for its widest text,
// for the view that sizes the column to its contents, without measuring
// every text in the toolkit's font (tens of microseconds a text: seconds
// for a large library).
//
// Each character is measured once, as a run of copies so that its advance
// is known to a fraction of a pixel; a text's estimate is the sum of its
// characters' advances, which is its width up to kerning. The texts with
// the largest estimates are then measured whole, and the column gets the
// largest of those widths, of every estimate (rounded up) and of the
// header's width: a text is never cut, and the column is at most a pixel or
// two wider than its widest text. Texts are measured as the list shows them
// (DisplayText: bytes that are not UTF-8 as replacement characters). Estimates and widths are kept
// per row until the row changes.
//
// Lifecycle: construct with the toolkit's measuring function; tell it of
// every row change (Invalidate) and of the rows' reset (InvalidateAll);
// ask Widest() whenever the column is to be fitted.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TrackList;

class ColumnFitter {
 public:
  // Width in pixels of a text (UTF-8) in the list's font.
  using Measure = std::function<int(std::string_view text)>;

  // How many of the widest estimates are measured whole.
  static constexpr int kTextsMeasuredWhole = 8;

  // column: 0 the BPM texts, 1 the FileName texts.
  ColumnFitter(int column, Measure measure);

  void Invalidate(int row);
  void InvalidateAll();
  // The width of the widest of the header and every row's text.
  int Widest(const TrackList& tracks, std::string_view header);

  // How many texts and characters have been measured so far (benchmarks).
  int64_t TextsMeasured() const { return textsMeasured_; }

 private:
  struct RowWidth {
    double estimate = -1.0;  // unknown while negative
    int measured = -1;
  };

  double Estimate(std::string_view text);

  int column_;
  Measure measure_;
  std::vector<RowWidth> rows_;
  std::unordered_map<uint32_t, double> advances_;  // by the character's UTF-8 bytes
  int64_t textsMeasured_ = 0;
};
