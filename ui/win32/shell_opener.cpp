// Opening documents through the shell. See shell_opener.h.
#include "ui/win32/shell_opener.h"

#include <shellapi.h>

#include <cstdint>

#include "platform/win32/wide_text.h"

void ShellOpener::Open(const std::string& target) {
  const std::wstring wide = WideFromUtf8(target);
  const auto result = reinterpret_cast<intptr_t>(
      ShellExecuteW(owner_, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  // Values up to 32 are errors.
  if (result > 32) return;
  const std::wstring text =
      WideFromUtf8("Cannot open " + target + ":\n" + WindowsErrorText(GetLastError()));
  MessageBoxW(owner_, text.c_str(), L"Tempyra", MB_OK | MB_ICONWARNING);
}
