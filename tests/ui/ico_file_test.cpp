// The Windows icon file read back field by field: the directory's sizes and
// offsets cover the file exactly, each image is a bottom-up 32-bit bitmap
// of twice the height whose pixels are the picture's in blue, green, red,
// alpha order, with an empty mask.
#include "tools/picture_ico/ico_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

uint32_t Read16(const std::vector<uint8_t>& bytes, size_t at) {
  return bytes.at(at) | (static_cast<uint32_t>(bytes.at(at + 1)) << 8);
}

uint32_t Read32(const std::vector<uint8_t>& bytes, size_t at) {
  return Read16(bytes, at) | (Read16(bytes, at + 2) << 16);
}

TEST(IcoFile, DirectoryAndBitmapsHoldThePicturesPixelForPixel) {
  const std::vector<RgbaPicture> pictures = {ApplicationIconPicture(16), ApplicationIconPicture(40),
                                             ApplicationIconPicture(256)};
  const std::vector<uint8_t> bytes = IcoFileBytes(pictures);
  ASSERT_GE(bytes.size(), 6u);
  EXPECT_EQ(Read16(bytes, 0), 0u);
  EXPECT_EQ(Read16(bytes, 2), 1u);
  ASSERT_EQ(Read16(bytes, 4), pictures.size());

  size_t expectedOffset = 6 + 16 * pictures.size();
  for (size_t i = 0; i < pictures.size(); ++i) {
    const RgbaPicture& picture = pictures[i];
    const size_t entry = 6 + 16 * i;
    EXPECT_EQ(bytes[entry], picture.width == 256 ? 0 : picture.width);
    EXPECT_EQ(bytes[entry + 1], picture.height == 256 ? 0 : picture.height);
    EXPECT_EQ(Read16(bytes, entry + 6), 32u);
    const uint32_t size = Read32(bytes, entry + 8);
    const uint32_t offset = Read32(bytes, entry + 12);
    EXPECT_EQ(offset, expectedOffset);
    // Header, colours, and a mask row of whole 32-bit words per line.
    const size_t maskRow = (static_cast<size_t>(picture.width) + 31) / 32 * 4;
    EXPECT_EQ(size, 40 + picture.width * picture.height * 4 + maskRow * picture.height);
    expectedOffset += size;

    EXPECT_EQ(Read32(bytes, offset), 40u);
    EXPECT_EQ(Read32(bytes, offset + 4), static_cast<uint32_t>(picture.width));
    EXPECT_EQ(Read32(bytes, offset + 8), static_cast<uint32_t>(picture.height * 2));
    EXPECT_EQ(Read16(bytes, offset + 14), 32u);
    // Every pixel, the file's first row being the picture's last.
    const size_t colours = offset + 40;
    bool same = true;
    for (int y = 0; y < picture.height && same; ++y)
      for (int x = 0; x < picture.width && same; ++x) {
        const uint8_t* rgba = &picture.pixels[(static_cast<size_t>(y) * picture.width + x) * 4];
        const size_t at =
            colours + (static_cast<size_t>(picture.height - 1 - y) * picture.width + x) * 4;
        same = bytes[at] == rgba[2] && bytes[at + 1] == rgba[1] && bytes[at + 2] == rgba[0] &&
               bytes[at + 3] == rgba[3];
        EXPECT_TRUE(same) << "pixel " << x << "," << y << " of " << picture.width;
      }
    const size_t mask = colours + static_cast<size_t>(picture.width) * picture.height * 4;
    for (size_t at = mask; at < offset + size; ++at) ASSERT_EQ(bytes[at], 0) << at;
  }
  EXPECT_EQ(bytes.size(), expectedOffset);
}

}  // namespace
