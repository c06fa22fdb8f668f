// tempyra-picture-png: writes the program's own pictures as PNG files, for
// the desktop's icon theme (at build time) and for looking at them.
//
//   tempyra-picture-png icon SIZE OUT.png    the application icon, SIZE x SIZE
//   tempyra-picture-png about OUT.png        the About box's picture
//
// Exit status 0 when the file was written, 2 for a wrong command line.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/picture_png/png_file.h"
#include "ui/about_picture.h"
#include "ui/artwork.h"

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "";
  RgbaPicture picture;
  const char* out = nullptr;
  if (what == "icon" && argc == 4) {
    const int size = std::atoi(argv[2]);
    if (size < 8 || size > 1024) {
      std::fprintf(stderr, "tempyra-picture-png: icon size %s is not between 8 and 1024\n",
                   argv[2]);
      return 2;
    }
    picture = ApplicationIconPicture(size);
    out = argv[3];
  } else if (what == "about" && argc == 3) {
    picture = AboutPicture();
    out = argv[2];
  } else {
    std::fprintf(stderr, "usage: tempyra-picture-png icon SIZE OUT.png | about OUT.png\n");
    return 2;
  }
  if (!WritePngFile(out, picture)) {
    std::fprintf(stderr, "tempyra-picture-png: cannot write %s\n", out);
    return 1;
  }
  return 0;
}
