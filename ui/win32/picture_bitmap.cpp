// The program's pictures as Windows bitmaps. See picture_bitmap.h.
#include "ui/win32/picture_bitmap.h"

#include <cstring>

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

}  // namespace

HBITMAP BitmapWithAlpha(const RgbaPicture& picture) {
  uint8_t* out = nullptr;
  HBITMAP bitmap = NewBitmap(picture.width, picture.height, &out);
  if (bitmap == nullptr) return nullptr;
  const size_t count = static_cast<size_t>(picture.width) * picture.height;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* rgba = &picture.pixels[i * 4];
    out[i * 4] = rgba[2];
    out[i * 4 + 1] = rgba[1];
    out[i * 4 + 2] = rgba[0];
    out[i * 4 + 3] = rgba[3];
  }
  return bitmap;
}

HBITMAP BitmapOverColour(const RgbaPicture& picture, COLORREF background) {
  uint8_t* out = nullptr;
  HBITMAP bitmap = NewBitmap(picture.width, picture.height, &out);
  if (bitmap == nullptr) return nullptr;
  const size_t count = static_cast<size_t>(picture.width) * picture.height;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* rgba = &picture.pixels[i * 4];
    out[i * 4] = Blend(rgba[2], GetBValue(background), rgba[3]);
    out[i * 4 + 1] = Blend(rgba[1], GetGValue(background), rgba[3]);
    out[i * 4 + 2] = Blend(rgba[0], GetRValue(background), rgba[3]);
    out[i * 4 + 3] = 255;
  }
  return bitmap;
}
