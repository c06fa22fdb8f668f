// The window's pictures, drawn by this program and built into it: the four
// row images of the track list (16 x 16: 0 transparent, 1 a green tick, 2 a
// red question mark, 3 a yellow raised thumb) and the application icon (a
// metronome, 32 x 32 in the window, at every size the desktop's icon theme
// wants when installed). Each is RGBA pixels with transparency, for any
// toolkit to turn into its own images.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/track_list.h"

struct RgbaPicture {
  int width = 0;
  int height = 0;
  // width x height pixels, rows top to bottom, each red, green, blue, alpha.
  std::vector<uint8_t> pixels;
};

RgbaPicture RowImagePicture(RowImage image);
// The picture `factor` times as wide and high, each pixel a square of
// factor x factor pixels: the row images stay sharp on a screen of twice
// or three times the usual density. A factor below 2 gives the picture.
RgbaPicture Enlarged(const RgbaPicture& picture, int factor);
// The icon, size x size pixels.
RgbaPicture ApplicationIconPicture(int size = 32);
