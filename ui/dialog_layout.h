// The main dialog's geometry: its template rectangles in pixels, and where
// each control goes when the window's client area has a given size.
//
// The reference scale is the template's own font, 1.5 pixels across and
// 1.625 pixels down per dialog unit; at that scale the resize rules hold to
// the pixel (a client area of 600 x 500 puts "Go!" at 11, 466 and makes the
// track list 579 x 225). A desktop font of another size scales the template
// and every constant of the rules alike, so that texts keep fitting their
// controls. The rules, in this order ("move" keeps the size, "size" keeps
// the position):
//
//   1000 source path        size           W - 46, 23
//   1001 "..."              move           W - 30, 26
//   1026 drive box          size           W - 21, 23
//   1003 track list         size           W - 21, H - 275
//   1004, 1006, 1007        move           11, H - 195;  27, H - 179;  27, H - 163
//   1005, 1008, 1009        move           11, H - 147;  27, H - 130;  27, H - 114
//   1039, 1038, 1037        move           11, H - 90;  146, H - 90;  161, H - 95
//   1023 progress bar       move and size  11, H - 67, W - 21, 10
//   1024 status line        move and size  11, H - 56, W - 21, 14
//   1011, 1040, 1041, 1012  move           11;  (W - 22) / 4 + 11;
//                                          (2W - 44) / 4 + 11;  W - 85;  all at H - 34
//   1025 "Invert Selection" move           W - 91, H - 197
//   1031, 1035, 1033        move           W - 133, H - 169;  W - 52, H - 173;  W - 24, H - 173
//   1032, 1036, 1034        move           W - 133, H - 138;  W - 49, H - 142;  W - 24, H - 142
//
// The divisions round toward zero. The prompt at the top never moves. Far
// below the designed size the rules would let controls overlap and the list
// vanish: MinimumClientSize gives the smallest size at which they hold, and
// the window does not shrink below it.
#pragma once

#include <map>
#include <vector>

#include "ui/dialog_template.h"

struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  bool operator==(const PixelRect&) const = default;
};

struct PixelSize {
  int width = 0;
  int height = 0;

  bool operator==(const PixelSize&) const = default;
};

// Pixels per dialog unit at the reference scale.
inline constexpr double kReferenceUnitAcross = 1.5;
inline constexpr double kReferenceUnitDown = 1.625;

// The size of a dialog unit on screen, as a multiple of the reference.
struct DialogScale {
  double across = 1.0;
  double down = 1.0;

  // From a font's average character width and height in pixels: a dialog
  // unit is a quarter of the one and an eighth of the other.
  static DialogScale FromFont(double averageCharWidth, double charHeight);
};

struct ControlPlacement {
  int id;
  PixelRect rect;
};

// The scale, widened across where a control's text would not fit its
// template rectangle: `neededWidths` maps a control's id to the pixels its
// text needs on one line, with its box or margins. Fonts whose texts run
// wider than their average character width promises (as some do at large
// sizes) thus widen the whole dialog alike, so that no text is cut and no
// control runs into its neighbour.
DialogScale WidenedToFit(DialogScale scale, const std::map<int, int>& neededWidths);

// A template rectangle in pixels at the scale (rounded to whole pixels).
PixelRect TemplateRectInPixels(const DialogRect& rect, DialogScale scale);
// The client size of the dialog as designed (272 x 241 dialog units).
PixelSize DesignedClientSize(DialogScale scale);

// Every control of the template, in template order, placed for a client
// area of clientWidth x clientHeight pixels. A control is never made
// smaller than its entry in minimumSizes (what the toolkit needs to show it
// whole; controls without an entry have no minimum); sizes never go below 0.
std::vector<ControlPlacement> LayOutMainDialog(int clientWidth, int clientHeight, DialogScale scale,
                                               const std::map<int, PixelSize>& minimumSizes = {});

// The smallest client size at which the layout holds, at most the designed
// size: the track list at least listMinimumHeight tall, every control
// inside the client area, and no two controls overlapping that do not
// already overlap (or stick out) at the designed size. The rules are
// monotonic in each direction, so the width and height are searched one at
// a time and then grown together until the layout holds at both.
PixelSize MinimumClientSize(DialogScale scale, const std::map<int, PixelSize>& minimumSizes,
                            int listMinimumHeight);
