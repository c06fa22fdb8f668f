// A test's own temporary folder on Windows: a new folder with a random name
// in the user's temporary folder (GetTempPathW), made with CreateDirectoryW
// so that a name already taken is never reused. See temp_folder.h.
#include <windows.h>

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "platform/path.h"
#include "platform/temporary_name.h"
#include "platform/utf8_path.h"
#include "platform/win32/wide_text.h"
#include "tests/support/temp_folder.h"

TempFolder::TempFolder() {
  wchar_t base[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, base);
  if (length == 0 || length > MAX_PATH) throw std::runtime_error("no temporary folder");
  const std::string folder = Utf8FromWide(std::wstring_view(base, length));
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string path =
        WithoutTrailingSeparators(JoinPath(folder, "tempyra-test-" + RandomNameSuffix()));
    if (CreateDirectoryW(WidePath(path).c_str(), nullptr)) {
      path_ = path;
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS)
      throw std::runtime_error("cannot make a temporary folder in " + folder);
  }
  throw std::runtime_error("cannot make a temporary folder in " + folder);
}

TempFolder::~TempFolder() {
  // Read-only files cannot be removed on Windows: make them writable first.
  std::error_code ec;
  for (auto it = std::filesystem::recursive_directory_iterator(Utf8Path(path_), ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
    SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
  std::filesystem::remove_all(Utf8Path(path_), ec);
}
