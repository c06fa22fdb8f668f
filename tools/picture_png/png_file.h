// Writing an RGBA picture as a PNG file (8 bits per channel, colour type 6,
// one IDAT chunk compressed with zlib).
#pragma once

#include <string>

#include "ui/artwork.h"

// False when the file cannot be written whole.
bool WritePngFile(const std::string& path, const RgbaPicture& picture);
