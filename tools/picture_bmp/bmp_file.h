// A Windows bitmap file (.bmp) of one opaque picture, as installers read
// their pictures: a BITMAPFILEHEADER, a BITMAPINFOHEADER, then the rows
// bottom to top, 24 bits a pixel (blue, green, red), each row padded to
// a whole number of 32-bit words. The picture's alpha is not written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/artwork.h"

// The file's bytes.
std::vector<uint8_t> BmpFileBytes(const RgbaPicture& picture);
// Writes them to `path`; false when the file cannot be written whole.
bool WriteBmpFile(const std::string& path, const RgbaPicture& picture);
