// Icon files. See ico_file.h.
#include "tools/picture_ico/ico_file.h"

#include <cstdio>

#include "tools/picture_ico/little_endian.h"

namespace {

constexpr size_t kDirectorySize = 6;
constexpr size_t kEntrySize = 16;
constexpr size_t kBitmapHeaderSize = 40;

// Bytes of one row of the 1-bit mask: whole 32-bit words.
size_t MaskRowBytes(int width) {
  return static_cast<size_t>((width + 31) / 32) * 4;
}

size_t ImageBytes(const RgbaPicture& picture) {
  return kBitmapHeaderSize + static_cast<size_t>(picture.width) * picture.height * 4 +
         MaskRowBytes(picture.width) * picture.height;
}

}  // namespace

std::vector<uint8_t> IcoFileBytes(const std::vector<RgbaPicture>& pictures) {
  std::vector<uint8_t> out;
  Put16(out, 0);  // reserved
  Put16(out, 1);  // an icon (2 would be a cursor)
  Put16(out, static_cast<uint32_t>(pictures.size()));
  size_t offset = kDirectorySize + kEntrySize * pictures.size();
  for (const RgbaPicture& picture : pictures) {
    // 256 is written as 0: the field is a byte.
    out.push_back(static_cast<uint8_t>(picture.width & 0xFF));
    out.push_back(static_cast<uint8_t>(picture.height & 0xFF));
    out.push_back(0);  // no palette
    out.push_back(0);  // reserved
    Put16(out, 1);     // planes
    Put16(out, 32);    // bits per pixel
    Put32(out, static_cast<uint32_t>(ImageBytes(picture)));
    Put32(out, static_cast<uint32_t>(offset));
    offset += ImageBytes(picture);
  }
  for (const RgbaPicture& picture : pictures) {
    Put32(out, kBitmapHeaderSize);
    Put32(out, static_cast<uint32_t>(picture.width));
    // The colour bitmap and the mask beneath it, one above the other.
    Put32(out, static_cast<uint32_t>(picture.height * 2));
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, 0);  // uncompressed
    Put32(out, static_cast<uint32_t>(ImageBytes(picture) - kBitmapHeaderSize));
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    for (int y = picture.height - 1; y >= 0; --y) {
      for (int x = 0; x < picture.width; ++x) {
        const uint8_t* rgba = &picture.pixels[(static_cast<size_t>(y) * picture.width + x) * 4];
        out.push_back(rgba[2]);
        out.push_back(rgba[1]);
        out.push_back(rgba[0]);
        out.push_back(rgba[3]);
      }
    }
    // The alpha channel decides; the mask lets every pixel through.
    out.insert(out.end(), MaskRowBytes(picture.width) * picture.height, 0);
  }
  return out;
}

bool WriteIcoFile(const std::string& path, const std::vector<RgbaPicture>& pictures) {
  const std::vector<uint8_t> bytes = IcoFileBytes(pictures);
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}
