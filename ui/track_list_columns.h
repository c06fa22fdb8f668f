// The track list's two columns as every view of it shows them: their titles
// ("BPM" and "FileName") and the room a column needs beyond its widest text
// (the control's margins on both sides, and in the first column the row's
// image with its gap), so that a column fitted to its contents shows them
// whole in any toolkit.
#pragma once

inline constexpr int kTrackListColumnCount = 2;

// The third column, shown while the dialog shows tags (Project > Show
// Tags): its index, its header, and the text it is made wide enough for,
// a tempo with two decimals.
inline constexpr int kTagColumn = 2;
inline constexpr const char* kTagColumnTitle = "Tag";
inline constexpr const char* kWidestTagText = "000.00";

// The header of column 0 or 1.
const char* TrackListColumnTitle(int column);

// The width of a column whose widest text (header included) is
// `widestText` pixels wide, on a screen of `pixelsPerInch` (96 is 100 %):
// the margins and the image grow with the screen's scale as the text does.
int TrackListColumnWidth(int column, int widestText, int pixelsPerInch = 96);
