// Draws the installer's picture of installer_picture.h.
#include "tools/picture_bmp/installer_picture.h"

#include "ui/painter.h"

namespace {

// The About box's panel, top and bottom.
constexpr Rgba kPanelTop{27, 33, 64, 255};
constexpr Rgba kPanelBottom{59, 23, 71, 255};
constexpr int kIconSize = 128;
constexpr int kIconTop = 48;

}  // namespace

RgbaPicture InstallerPicture() {
  Painter painter(kInstallerPictureWidth, kInstallerPictureHeight);
  painter.Fill(
      0, 0, kInstallerPictureWidth, kInstallerPictureHeight, [](double, double) { return true; },
      [](double, double y) {
        return MixColours(kPanelTop, kPanelBottom, y / kInstallerPictureHeight);
      });
  RgbaPicture picture = painter.Picture();

  // The icon over the panel, by its alpha.
  const RgbaPicture icon = ApplicationIconPicture(kIconSize);
  const int left = (kInstallerPictureWidth - kIconSize) / 2;
  for (int y = 0; y < kIconSize; ++y)
    for (int x = 0; x < kIconSize; ++x) {
      const uint8_t* over = &icon.pixels[(static_cast<size_t>(y) * kIconSize + x) * 4];
      const size_t at = static_cast<size_t>(y + kIconTop) * kInstallerPictureWidth + x + left;
      uint8_t* under = &picture.pixels[at * 4];
      for (int channel = 0; channel < 3; ++channel)
        under[channel] = static_cast<uint8_t>(
            (over[channel] * over[3] + under[channel] * (255 - over[3]) + 127) / 255);
      under[3] = 255;
    }
  return picture;
}
