// Opening documents through the shell. See shell_opener.h.
#include "ui/win32/shell_opener.h"

#include <shellapi.h>

#include "platform/win32/wide_text.h"

void ShellOpener::Open(const std::string& target) {
  const std::wstring wide = WideFromUtf8(target);
  SHELLEXECUTEINFOW request{};
  request.cbSize = sizeof(request);
  // The error is told here, once, with the system's reason; the call
  // returns when the program was asked.
  request.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  request.hwnd = owner_;
  request.lpVerb = L"open";
  request.lpFile = wide.c_str();
  request.nShow = SW_SHOWNORMAL;
  if (ShellExecuteExW(&request)) return;
  const DWORD error = GetLastError();
  const std::wstring text = WideFromUtf8("Cannot open " + target + ":\n" + WindowsErrorText(error));
  MessageBoxW(owner_, text.c_str(), L"Tempyra", MB_OK | MB_ICONWARNING);
}
