// tempyra-picture-bmp: writes the Windows installer's picture (the first
// and last pages) as a bitmap file. Built for the machine that builds,
// also when the programs are cross-compiled.
//
//   tempyra-picture-bmp OUT.bmp
//
// Exit status 0 when the file was written, 1 when it could not be, 2 for a
// wrong command line.
#include <cstdio>

#include "tools/picture_bmp/bmp_file.h"
#include "tools/picture_bmp/installer_picture.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tempyra-picture-bmp OUT.bmp\n");
    return 2;
  }
  if (!WriteBmpFile(argv[1], InstallerPicture())) {
    std::fprintf(stderr, "tempyra-picture-bmp: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
