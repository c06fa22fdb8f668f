// Safe rename and copy of a user's files on Windows. See file_transfer.h.
//
// MoveFileExW without MOVEFILE_REPLACE_EXISTING refuses a name that is
// taken, on every file system: no fallbacks are needed. The copy goes into
// a new temporary file beside the target, is flushed to the disk, takes the
// source's modification time and attributes, and only then replaces the
// target (MoveFileExW with MOVEFILE_REPLACE_EXISTING, written through).
#include <windows.h>

#include <vector>

#include "platform/file_transfer.h"
#include "platform/path.h"
#include "platform/temporary_name.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/wide_text.h"

namespace {

bool Fail(std::string* error, DWORD code) {
  if (error != nullptr) *error = WindowsErrorText(code);
  return false;
}

bool CopyBytes(HANDLE in, HANDLE out) {
  std::vector<char> buffer(1 << 18);
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
      return false;
    if (got == 0) return true;
    DWORD offset = 0;
    while (offset < got) {
      DWORD written = 0;
      if (!WriteFile(out, buffer.data() + offset, got - offset, &written, nullptr)) return false;
      offset += written;
    }
  }
}

}  // namespace

bool MoveFileNoReplace(const std::string& from, const std::string& to, std::string* error) {
  if (MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), MOVEFILE_WRITE_THROUGH))
    return true;
  return Fail(error, GetLastError());
}

bool CopyFileReplacing(const std::string& from, const std::string& to, std::string* error) {
  UniqueHandle in(CreateFileW(
      WidePath(from).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!in.Valid()) return Fail(error, GetLastError());
  BY_HANDLE_FILE_INFORMATION source;
  if (!GetFileInformationByHandle(in.Get(), &source)) return Fail(error, GetLastError());
  if (GetFileType(in.Get()) != FILE_TYPE_DISK ||
      (source.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    if (error != nullptr) *error = "not a regular file";
    return false;
  }
  // A name of our own beside the target, taken with CREATE_NEW so that no
  // other file is ever opened by mistake.
  const std::string folder = FolderOf(to);
  std::string temporary;
  UniqueHandle out;
  for (int attempt = 0; attempt < 100 && !out.Valid(); ++attempt) {
    temporary = JoinPath(folder, ".tempyra-copy-" + RandomNameSuffix());
    out.Reset(CreateFileW(WidePath(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.Valid() && GetLastError() != ERROR_FILE_EXISTS) return Fail(error, GetLastError());
  }
  if (!out.Valid()) return Fail(error, ERROR_FILE_EXISTS);
  const std::wstring wideTemporary = WidePath(temporary);
  auto failCopy = [&](DWORD code) {
    out.Close();
    DeleteFileW(wideTemporary.c_str());
    return Fail(error, code);
  };
  if (!CopyBytes(in.Get(), out.Get()) ||
      !SetFileTime(out.Get(), nullptr, &source.ftLastAccessTime, &source.ftLastWriteTime) ||
      !FlushFileBuffers(out.Get()))
    return failCopy(GetLastError());
  in.Close();
  if (!out.Close()) return failCopy(GetLastError());
  const DWORD kept = source.dwFileAttributes &
                     (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
  if (kept != 0 && !SetFileAttributesW(wideTemporary.c_str(), kept))
    return failCopy(GetLastError());
  if (!MoveFileExW(wideTemporary.c_str(), WidePath(to).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD code = GetLastError();
    SetFileAttributesW(wideTemporary.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(wideTemporary.c_str());
    return Fail(error, code);
  }
  return true;
}
