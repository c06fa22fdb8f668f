// The picture on the first and last pages of the Windows installer: the
// application icon on the About box's night-blue to purple panel, in the
// size those pages show (164 x 314 pixels at 100 % display scale).
#pragma once

#include "ui/artwork.h"

inline constexpr int kInstallerPictureWidth = 164;
inline constexpr int kInstallerPictureHeight = 314;

// Opaque: every pixel's alpha is 255.
RgbaPicture InstallerPicture();
