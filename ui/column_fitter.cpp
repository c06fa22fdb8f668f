// A column's widest text, measuring few texts. See column_fitter.h.
#include "ui/column_fitter.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "ui/display_text.h"
#include "ui/track_list.h"

namespace {

// Copies of a character measured together for its advance.
constexpr int kCopies = 16;

// The length of the UTF-8 sequence starting with `lead`; 1 for a byte that
// starts none (it is then taken on its own).
size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
  if (lead >= 0xC2) return 2;
  return 1;
}

}  // namespace

ColumnFitter::ColumnFitter(int column, Measure measure)
    : column_(column), measure_(std::move(measure)) {}

void ColumnFitter::Invalidate(int row) {
  if (row >= 0 && row < static_cast<int>(rows_.size())) rows_[static_cast<size_t>(row)] = {};
}

void ColumnFitter::InvalidateAll() {
  rows_.clear();
}

double ColumnFitter::Estimate(std::string_view text) {
  double sum = 0.0;
  for (size_t i = 0; i < text.size();) {
    size_t length = SequenceLength(static_cast<unsigned char>(text[i]));
    if (i + length > text.size()) length = 1;
    const std::string_view character = text.substr(i, length);
    uint32_t key = 0;
    for (char byte : character) key = key << 8 | static_cast<unsigned char>(byte);
    auto [entry, added] = advances_.try_emplace(key, 0.0);
    if (added) {
      std::string run;
      for (int copy = 0; copy < kCopies; ++copy) run += character;
      ++textsMeasured_;
      entry->second = measure_(run) / static_cast<double>(kCopies);
    }
    sum += entry->second;
    i += length;
  }
  return sum;
}

int ColumnFitter::Widest(const TrackList& tracks, std::string_view header) {
  const int count = tracks.RowCount();
  rows_.resize(static_cast<size_t>(count));
  // The text as the list draws it: names that are not UTF-8 are measured
  // with the characters that stand for their bytes.
  auto textOf = [&](int row) {
    const TrackRow& values = tracks.Row(row);
    return DisplayText(column_ == 0 ? values.bpm : values.fileName);
  };

  ++textsMeasured_;
  int widest = header.empty() ? 0 : measure_(header);
  double widestEstimate = 0.0;
  // The rows of the largest estimates, smallest first (a small heap).
  std::vector<std::pair<double, int>> largest;
  auto smaller = [](const auto& a, const auto& b) { return a.first > b.first; };
  for (int row = 0; row < count; ++row) {
    RowWidth& width = rows_[static_cast<size_t>(row)];
    if (width.estimate < 0.0) width.estimate = Estimate(textOf(row));
    widestEstimate = std::max(widestEstimate, width.estimate);
    if (static_cast<int>(largest.size()) < kTextsMeasuredWhole) {
      largest.emplace_back(width.estimate, row);
      std::push_heap(largest.begin(), largest.end(), smaller);
    } else if (width.estimate > largest.front().first) {
      std::pop_heap(largest.begin(), largest.end(), smaller);
      largest.back() = {width.estimate, row};
      std::push_heap(largest.begin(), largest.end(), smaller);
    }
  }
  for (const auto& [estimate, row] : largest) {
    RowWidth& width = rows_[static_cast<size_t>(row)];
    if (width.measured < 0) {
      const std::string text = textOf(row);
      ++textsMeasured_;
      width.measured = text.empty() ? 0 : measure_(text);
    }
    widest = std::max(widest, width.measured);
  }
  return std::max(widest, static_cast<int>(std::ceil(widestEstimate)));
}
