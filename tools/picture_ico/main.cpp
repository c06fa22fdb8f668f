// tempyra-picture-ico: writes the application icon as a Windows icon file
// with the sizes Windows shows (16 to 256 pixels), for the Windows
// program's resources. Built for the machine that builds, also when the
// programs are cross-compiled.
//
//   tempyra-picture-ico OUT.ico
//
// Exit status 0 when the file was written, 1 when it could not be, 2 for a
// wrong command line.
#include <cstdio>
#include <vector>

#include "tools/picture_ico/ico_file.h"
#include "ui/artwork.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tempyra-picture-ico OUT.ico\n");
    return 2;
  }
  std::vector<RgbaPicture> pictures;
  for (const int size : {16, 20, 24, 32, 40, 48, 64, 256})
    pictures.push_back(ApplicationIconPicture(size));
  if (!WriteIcoFile(argv[1], pictures)) {
    std::fprintf(stderr, "tempyra-picture-ico: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
