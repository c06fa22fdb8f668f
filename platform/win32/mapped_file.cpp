// MappedFile over CreateFileW + CreateFileMappingW + MapViewOfFile. See
// mapped_file.h.
//
// The file is opened with every sharing mode, so that a file being mapped
// never stops another program from writing, renaming or deleting it (which
// is what a guarded read then has to survive). The handles are closed once
// the view exists: the view keeps the file.
#include "platform/mapped_file.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

bool MappedFile::Open(const std::string& path, std::string* error) {
  Close();
  auto fail = [&](const std::string& reason) {
    if (error != nullptr) *error = reason;
    return false;
  };
  // Backup semantics let a folder open too, so that it is told apart from
  // a file that cannot be read.
  const HANDLE file = CreateFileW(
      WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return fail(WindowsErrorText(GetLastError()));
  BY_HANDLE_FILE_INFORMATION information;
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return fail("not a regular file");
  }
  if (!GetFileInformationByHandle(file, &information)) {
    const DWORD code = GetLastError();
    CloseHandle(file);
    return fail(WindowsErrorText(code));
  }
  if (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    CloseHandle(file);
    return fail("is a directory");
  }
  const uint64_t size =
      (uint64_t{information.nFileSizeHigh} << 32) | uint64_t{information.nFileSizeLow};
  if (size == 0) {
    CloseHandle(file);
    return fail("empty file");
  }
  // At most 4 GiB - 1 is ever read; a 32-bit process maps no more than
  // its address space can take.
  uint64_t length = size > UINT32_MAX ? UINT32_MAX : size;
  if (length > SIZE_MAX / 2) length = SIZE_MAX / 2;
  const HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  const DWORD mappingError = GetLastError();
  CloseHandle(file);
  if (mapping == nullptr) return fail(WindowsErrorText(mappingError));
  void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, static_cast<SIZE_T>(length));
  const DWORD viewError = GetLastError();
  CloseHandle(mapping);
  if (view == nullptr) {
    return fail(viewError == ERROR_NOT_ENOUGH_MEMORY ? "not enough address space to map the file"
                                                     : WindowsErrorText(viewError));
  }
  data_ = static_cast<const uint8_t*>(view);
  mappedLength_ = static_cast<size_t>(length);
  size_ = static_cast<uint32_t>(length);
  return true;
}

void MappedFile::Close() {
  if (data_ != nullptr) UnmapViewOfFile(data_);
  data_ = nullptr;
  mappedLength_ = 0;
  size_ = 0;
}
