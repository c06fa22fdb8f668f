// tempyra-window-probe: reads the main window of a running tempyra.exe from
// another process, as a test sees it from outside, through messages the
// system carries between processes:
//
//   tempyra-window-probe rows    the track list's row count
//   tempyra-window-probe path    the source path's text
//
// Prints the value on standard output. Exit status 0, or 1 while there is
// no such window (yet), 2 for a wrong command line.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>

#include "platform/win32/wide_text.h"
#include "ui/dialog_ids.h"
#include "ui/dialog_template.h"

int main(int argc, char** argv) {
  const std::string what = argc == 2 ? argv[1] : "";
  if (what != "rows" && what != "path") {
    std::fprintf(stderr, "usage: tempyra-window-probe rows|path\n");
    return 2;
  }
  // The dialog class's atom, with the program's caption.
  HWND window = FindWindowW(MAKEINTATOM(32770), WideFromUtf8(kMainDialogTitle).c_str());
  if (window == nullptr) return 1;
  if (what == "rows") {
    HWND list = GetDlgItem(window, kTrackListView);
    if (list == nullptr) return 1;
    std::printf("%d\n", static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)));
    return 0;
  }
  wchar_t text[4096] = {};
  GetDlgItemTextW(window, kSourcePath, text, static_cast<int>(std::size(text)));
  std::printf("%s\n", Utf8FromWide(text).c_str());
  return 0;
}
