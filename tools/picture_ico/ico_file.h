// An icon file (.ico) of several sizes of one picture, as Windows reads it
// for a program's icon: a directory of entries, each a 32-bit device-
// independent bitmap with its alpha channel (rows bottom to top, blue,
// green, red, alpha) and an all-zero 1-bit mask beneath it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/artwork.h"

// The file's bytes; pictures of 1 to 256 pixels a side.
std::vector<uint8_t> IcoFileBytes(const std::vector<RgbaPicture>& pictures);
// Writes them to `path`; false when the file cannot be written whole.
bool WriteIcoFile(const std::string& path, const std::vector<RgbaPicture>& pictures);
