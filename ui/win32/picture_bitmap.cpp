// The program's pictures as Windows bitmaps. See picture_bitmap.h.
#include "ui/win32/picture_bitmap.h"

#include <vector>

namespace {

// A top-down 32-bit DIB section and its pixels (blue, green, red, alpha).
HBITMAP NewBitmap(int width, int height, uint8_t** pixels) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  *pixels = static_cast<uint8_t*>(bits);
  return bitmap;
}

uint8_t Blend(uint8_t over, uint8_t under, uint8_t alpha) {
  return static_cast<uint8_t>((over * alpha + under * (255 - alpha) + 127) / 255);
}

// The picture in a new bitmap, each pixel as `convert` writes it from the
// picture's red, green, blue and alpha into blue, green, red and alpha.
template <typename Convert>
HBITMAP ConvertedBitmap(const RgbaPicture& picture, Convert convert) {
  uint8_t* out = nullptr;
  HBITMAP bitmap = NewBitmap(picture.width, picture.height, &out);
  if (bitmap == nullptr) return nullptr;
  const size_t count = static_cast<size_t>(picture.width) * picture.height;
  for (size_t i = 0; i < count; ++i) convert(&picture.pixels[i * 4], &out[i * 4]);
  return bitmap;
}

}  // namespace

HBITMAP BitmapWithAlpha(const RgbaPicture& picture) {
  return ConvertedBitmap(picture, [](const uint8_t* rgba, uint8_t* bgra) {
    bgra[0] = rgba[2];
    bgra[1] = rgba[1];
    bgra[2] = rgba[0];
    bgra[3] = rgba[3];
  });
}

HBITMAP BitmapOverColour(const RgbaPicture& picture, COLORREF background) {
  return ConvertedBitmap(picture, [background](const uint8_t* rgba, uint8_t* bgra) {
    bgra[0] = Blend(rgba[2], GetBValue(background), rgba[3]);
    bgra[1] = Blend(rgba[1], GetGValue(background), rgba[3]);
    bgra[2] = Blend(rgba[0], GetRValue(background), rgba[3]);
    bgra[3] = 255;
  });
}

HBITMAP TransparencyMask(const RgbaPicture& picture) {
  // Rows of whole 16-bit words, the first pixel in the highest bit.
  const size_t rowBytes = static_cast<size_t>((picture.width + 15) / 16) * 2;
  std::vector<uint8_t> bits(rowBytes * picture.height, 0);
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      const uint8_t alpha = picture.pixels[(static_cast<size_t>(y) * picture.width + x) * 4 + 3];
      if (alpha < 128) bits[y * rowBytes + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
  return CreateBitmap(picture.width, picture.height, 1, 1, bits.data());
}
