// tempyra.exe: the desktop window on Windows.
//
//   tempyra            opens the window with an empty list
//   tempyra FOLDER     opens it with FOLDER listed, as if chosen with "..."
//   tempyra -- FOLDER  the same; "--" ends the options
//   tempyra --version  prints the version
//
// A window program has no console: a wrong command line is told in a
// message box, with exit status 2.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <cstdio>

#include "platform/program_arguments.h"
#include "platform/win32/wide_text.h"
#include "tempyra_version.h"
#include "ui/startup_arguments.h"
#include "ui/win32/main_window.h"

int main(int argc, char** argv) {
  const StartupArguments arguments = ParseStartupArguments(ProgramArguments(argc, argv));
  if (!arguments.error.empty()) {
    MessageBoxW(nullptr, WideFromUtf8(arguments.error).c_str(), L"Tempyra", MB_OK | MB_ICONERROR);
    return 2;
  }
  if (arguments.showVersion) {
    // Seen where standard output goes to a file or a pipe.
    std::printf("tempyra %s\n", kTempyraVersion);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES |
                                                      ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  // The shell's folder chooser is a COM object of this thread.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  int status = 0;
  {
    MainWindow window(arguments.folder);
    status = window.Run();
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return status == 0 ? 0 : 1;
}
