// Writes the 24-bit Windows bitmap of bmp_file.h.
#include "tools/picture_bmp/bmp_file.h"

#include <cstdio>

#include "tools/picture_ico/little_endian.h"

namespace {

constexpr uint32_t kFileHeaderSize = 14;  // BITMAPFILEHEADER
constexpr uint32_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER
constexpr uint16_t kBitsPerPixel = 24;
constexpr uint32_t BI_RGB = 0;
// 2835 pixels per metre: 72 dots per inch.
constexpr uint32_t kPixelsPerMetre = 2835;

}  // namespace

std::vector<uint8_t> BmpFileBytes(const RgbaPicture& picture) {
  const auto width = static_cast<uint32_t>(picture.width);
  const auto height = static_cast<uint32_t>(picture.height);
  const uint32_t rowSize = (width * 3 + 3) / 4 * 4;
  const uint32_t pixelsOffset = kFileHeaderSize + kInfoHeaderSize;
  const uint32_t fileSize = pixelsOffset + rowSize * height;

  std::vector<uint8_t> bytes;
  bytes.reserve(fileSize);
  bytes.push_back('B');
  bytes.push_back('M');
  Put32(bytes, fileSize);
  Put32(bytes, 0);  // reserved
  Put32(bytes, pixelsOffset);

  Put32(bytes, kInfoHeaderSize);
  Put32(bytes, width);
  Put32(bytes, height);  // positive: rows bottom to top
  Put16(bytes, 1);       // planes
  Put16(bytes, kBitsPerPixel);
  Put32(bytes, BI_RGB);
  Put32(bytes, rowSize * height);
  Put32(bytes, kPixelsPerMetre);
  Put32(bytes, kPixelsPerMetre);
  Put32(bytes, 0);  // colours used: none (no palette)
  Put32(bytes, 0);  // important colours: all

  for (uint32_t row = height; row-- > 0;) {
    const uint8_t* rgba = &picture.pixels[static_cast<size_t>(row) * width * 4];
    for (uint32_t x = 0; x < width; ++x, rgba += 4) {
      bytes.push_back(rgba[2]);
      bytes.push_back(rgba[1]);
      bytes.push_back(rgba[0]);
    }
    bytes.resize(bytes.size() + (rowSize - width * 3), 0);
  }
  return bytes;
}

bool WriteBmpFile(const std::string& path, const RgbaPicture& picture) {
  const std::vector<uint8_t> bytes = BmpFileBytes(picture);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}
