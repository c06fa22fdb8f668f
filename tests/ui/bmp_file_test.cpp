// The Windows bitmap writer and the installer's picture, read back by
// ffmpeg's BMP decoder: the same pixels, in a picture whose rows fill whole
// 32-bit words (the installer's, 164 pixels wide) and in one whose rows are
// padded (21 pixels wide).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"
#include "tools/picture_bmp/bmp_file.h"
#include "tools/picture_bmp/installer_picture.h"

namespace {

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The picture's pixels as ffmpeg decodes the file: red, green, blue. The
// decoder reads a file of the wrong size too, with a warning: there must
// be none.
std::vector<uint8_t> DecodedByFfmpeg(const TempFolder& folder, const RgbaPicture& picture) {
  const std::string bmp = folder.File("picture.bmp");
  const std::string raw = folder.File("picture.rgb");
  const std::string warnings = folder.File("warnings.txt");
  EXPECT_TRUE(WriteBmpFile(bmp, picture));
  const std::string command = "ffmpeg -v warning -y -i '" + bmp + "' -f rawvideo -pix_fmt rgb24 '" +
                              raw + "' 2> '" + warnings + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  EXPECT_EQ(FileText(warnings), "");
  const std::string pixels = FileText(raw);
  return {pixels.begin(), pixels.end()};
}

std::vector<uint8_t> RgbOf(const RgbaPicture& picture) {
  std::vector<uint8_t> rgb;
  for (size_t at = 0; at < picture.pixels.size(); at += 4)
    rgb.insert(rgb.end(), picture.pixels.begin() + at, picture.pixels.begin() + at + 3);
  return rgb;
}

TEST(BmpFile, FfmpegReadsThePicturePixelForPixel) {
  TempFolder folder;
  for (const RgbaPicture& picture : {InstallerPicture(), ApplicationIconPicture(21)}) {
    const std::vector<uint8_t> decoded = DecodedByFfmpeg(folder, picture);
    ASSERT_EQ(decoded.size(), static_cast<size_t>(picture.width) * picture.height * 3)
        << picture.width << " x " << picture.height;
    EXPECT_TRUE(decoded == RgbOf(picture)) << picture.width << " x " << picture.height;
  }
}

TEST(BmpFile, TheInstallerPictureIsOpaqueAndShowsTheIcon) {
  const RgbaPicture picture = InstallerPicture();
  ASSERT_EQ(picture.width, kInstallerPictureWidth);
  ASSERT_EQ(picture.height, kInstallerPictureHeight);
  ASSERT_EQ(picture.pixels.size(), static_cast<size_t>(picture.width) * picture.height * 4);
  size_t translucent = 0;
  for (size_t at = 3; at < picture.pixels.size(); at += 4) translucent += picture.pixels[at] != 255;
  EXPECT_EQ(translucent, 0u);
  // The pixels that differ from their row's first one (the panel's colour
  // of that row) are the icon's.
  size_t drawn = 0;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x)
      for (int channel = 0; channel < 3; ++channel)
        if (picture.pixels[(static_cast<size_t>(y) * picture.width + x) * 4 + channel] !=
            picture.pixels[static_cast<size_t>(y) * picture.width * 4 + channel]) {
          ++drawn;
          break;
        }
  // The 128-pixel icon covers a good part of its square.
  EXPECT_GT(drawn, 128u * 128u / 3);
  EXPECT_LT(drawn, 128u * 128u);
}

}  // namespace
