// The running program's folder on Windows, from GetModuleFileNameW. See
// program_folder.h.
#include <windows.h>

#include <vector>

#include "platform/path.h"
#include "platform/program_folder.h"
#include "platform/win32/wide_text.h"

std::string ProgramFolder() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return FolderOf(Utf8FromWide(std::wstring_view(buffer.data(), n)));
    if (buffer.size() >= 32768) return {};  // longer than any Windows path
    buffer.resize(buffer.size() * 2);       // the path was cut: try a larger buffer
  }
}
