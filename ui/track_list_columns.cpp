// The track list's columns. See track_list_columns.h.
#include "ui/track_list_columns.h"

namespace {

const char* const kColumnTitles[kTrackListColumnCount] = {"BPM", "FileName"};

// At 96 pixels per inch: room around a column's text, the control's
// margins on both sides; room for a row image and its gap in the first
// column.
constexpr int kTextMargin = 14;
constexpr int kImageRoom = 16 + 6;
constexpr int kStandardPixelsPerInch = 96;

int Scaled(int pixels, int pixelsPerInch) {
  if (pixelsPerInch <= 0) pixelsPerInch = kStandardPixelsPerInch;
  // Rounded to the nearest pixel, as the system scales its own metrics.
  return (pixels * pixelsPerInch + kStandardPixelsPerInch / 2) / kStandardPixelsPerInch;
}

}  // namespace

const char* TrackListColumnTitle(int column) {
  return column == 0 ? kColumnTitles[0] : kColumnTitles[1];
}

int TrackListColumnWidth(int column, int widestText, int pixelsPerInch) {
  const int room = column == 0 ? kTextMargin + kImageRoom : kTextMargin;
  return widestText + Scaled(room, pixelsPerInch);
}
