// The About box's picture (bitmap 129): a record on a turntable with its
// tone arm, the name TEMPYRA in the lamps of a tempo display, and a row of
// level bars, on a dark rounded panel; 241 x 250 pixels, drawn by this
// program.
#pragma once

#include "ui/artwork.h"

inline constexpr int kAboutPictureWidth = 241;
inline constexpr int kAboutPictureHeight = 250;

RgbaPicture AboutPicture();
