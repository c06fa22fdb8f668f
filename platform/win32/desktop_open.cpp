// Handing a target to the desktop's opener: the Windows version. See
// desktop_open.h.
//
// The desktop's opener is the shell's "open" verb: ShellExecuteW starts the
// program Windows associates with the file, folder or address and returns
// at once. Another opener (a test's stand-in) is started through the same
// call with the target, quoted, as its one argument.
#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>

#include <string>

#include "platform/desktop_open.h"
#include "platform/win32/wide_text.h"

bool OpenWithDesktop(const std::string& target, const std::string& opener) {
  const std::wstring wideTarget = WideFromUtf8(target);
  HINSTANCE result = nullptr;
  if (opener.empty() || opener == "xdg-open") {
    result = ShellExecuteW(nullptr, L"open", wideTarget.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  } else {
    const std::wstring argument = L"\"" + wideTarget + L"\"";
    result = ShellExecuteW(nullptr, L"open", WideFromUtf8(opener).c_str(), argument.c_str(),
                           nullptr, SW_SHOWNORMAL);
  }
  // Values above 32 mean the program was started.
  return reinterpret_cast<INT_PTR>(result) > 32;
}
