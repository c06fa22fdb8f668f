// PictureBitmap: the program's own pictures (ui/artwork.h) as Windows
// bitmaps: a 32-bit top-down DIB section with the picture's alpha, for
// image lists, or the picture laid over a background colour, for controls
// that draw bitmaps without transparency. The caller owns the bitmap
// (DeleteObject).
#pragma once

#include <windows.h>

#include "ui/artwork.h"

HBITMAP BitmapWithAlpha(const RgbaPicture& picture);
HBITMAP BitmapOverColour(const RgbaPicture& picture, COLORREF background);
// A monochrome mask: set where the picture is more than half transparent.
HBITMAP TransparencyMask(const RgbaPicture& picture);
