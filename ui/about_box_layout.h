// Where the About box's controls go on screen: the template's rectangles at
// the desktop font's scale, each control at the size its content needs
// (never clipped), and the client size that holds them all.
//
// Each control keeps its template place: across as its alignment says,
// down in the middle of its rectangle. The box may grow past the template
// where a text is wider or taller than its rectangle, keeping the
// template's 7-unit margin to the right and below.
//
// A large desktop font makes the box tall (about 810 pixels at a 17-pixel
// font), more than a small screen shows. When the laid-out box is taller
// than the height it may take, the empty bands between the controls
// (above and below the picture, around the block of links, above OK) are
// narrowed to the margin, from the top down; controls that sit within a
// margin of each other keep their distance, so lines never come closer
// than the template puts them. Nothing else changes: the same controls at
// the same sizes and the same places across.
#pragma once

#include <span>
#include <vector>

#include "ui/dialog_layout.h"

struct AboutBoxLayout {
  std::vector<PixelRect> controls;  // in the order of AboutBoxControls()
  PixelSize client;                 // the client area that holds them
};

// `contentSizes` holds, in the order of AboutBoxControls(), the size each
// control needs to show its content whole (the toolkit's best size).
// `maximumClientHeight` is the tallest client area the screen shows; 0 or
// less means no limit.
AboutBoxLayout LayOutAboutBox(DialogScale scale, std::span<const PixelSize> contentSizes,
                              int maximumClientHeight);
