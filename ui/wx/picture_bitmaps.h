// The window's pictures (ui/artwork.h) as wx images: the row image list of
// the track list and the window's icons.
#pragma once

#include <wx/bitmap.h>
#include <wx/iconbndl.h>
#include <wx/imaglist.h>

#include "ui/artwork.h"

wxBitmap BitmapOfPicture(const RgbaPicture& picture);
// Images 0-3 of the track list's rows; the caller owns the list.
wxImageList* NewRowImageList();
// The application icon at 32 x 32 and scaled to 16 x 16.
wxIconBundle ApplicationIcons();
