// Descriptors over Win32 handles. See file_descriptor.h.
//
// The file is opened with CreateFileW (UTF-16 name, every sharing mode,
// not inheritable) and handed to the C runtime with _open_osfhandle in
// binary mode; the descriptor owns the handle from then on.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <vector>

#include "platform/file_descriptor.h"
#include "platform/win32/wide_text.h"

namespace {

HANDLE HandleOf(int descriptor) {
  const intptr_t handle = _get_osfhandle(descriptor);
  return handle == -1 || handle == -2 ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(handle);
}

bool FailWith(DWORD code) {
  errno = ErrnoFromWindowsError(code);
  return false;
}

}  // namespace

int OpenDescriptor(const std::string& path, FileAccess access) {
  const DWORD wanted = access == FileAccess::kRead ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
  const HANDLE handle = CreateFileW(WidePath(path).c_str(), wanted,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    FailWith(GetLastError());
    return -1;
  }
  const int flags = _O_BINARY | _O_NOINHERIT | (access == FileAccess::kRead ? _O_RDONLY : _O_RDWR);
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
  if (descriptor < 0) {
    CloseHandle(handle);
    errno = EMFILE;
  }
  return descriptor;
}

int CreateNewDescriptor(const std::string& path) {
  const HANDLE handle = CreateFileW(WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    FailWith(GetLastError());
    return -1;
  }
  const int descriptor =
      _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY | _O_NOINHERIT | _O_RDWR);
  if (descriptor < 0) {
    CloseHandle(handle);
    DeleteFileW(WidePath(path).c_str());
    errno = EMFILE;
  }
  return descriptor;
}

void CloseDescriptor(int descriptor) {
  if (descriptor >= 0) _close(descriptor);
}

int DuplicateDescriptor(int descriptor) {
  return _dup(descriptor);
}

bool SeekDescriptor(int descriptor, uint64_t offset) {
  return _lseeki64(descriptor, static_cast<__int64>(offset), SEEK_SET) ==
         static_cast<__int64>(offset);
}

long long ReadAt(int descriptor, void* data, size_t size, uint64_t offset) {
  const HANDLE handle = HandleOf(descriptor);
  if (handle == INVALID_HANDLE_VALUE) {
    errno = EBADF;
    return -1;
  }
  // A read at an offset moves the file pointer of a handle opened for
  // ordinary (not overlapped) access: put it back where it stood.
  LARGE_INTEGER zero{}, position{};
  if (!SetFilePointerEx(handle, zero, &position, FILE_CURRENT)) {
    FailWith(GetLastError());
    return -1;
  }
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD got = 0;
  const DWORD count = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
  const bool read = ReadFile(handle, data, count, &got, &at) != 0;
  const DWORD code = GetLastError();
  SetFilePointerEx(handle, position, nullptr, FILE_BEGIN);
  if (!read) {
    if (code == ERROR_HANDLE_EOF) return 0;
    FailWith(code);
    return -1;
  }
  return got;
}

bool WriteAt(int descriptor, const void* data, size_t size, uint64_t offset) {
  const HANDLE handle = HandleOf(descriptor);
  if (handle == INVALID_HANDLE_VALUE) {
    errno = EBADF;
    return false;
  }
  LARGE_INTEGER zero{}, position{};
  if (!SetFilePointerEx(handle, zero, &position, FILE_CURRENT)) return FailWith(GetLastError());
  const auto* bytes = static_cast<const char*>(data);
  bool complete = true;
  DWORD code = 0;
  while (size > 0) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    const DWORD count = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(handle, bytes, count, &written, &at) || written == 0) {
      code = written == 0 && GetLastError() == 0 ? ERROR_WRITE_FAULT : GetLastError();
      complete = false;
      break;
    }
    bytes += written;
    size -= written;
    offset += written;
  }
  SetFilePointerEx(handle, position, nullptr, FILE_BEGIN);
  return complete || FailWith(code);
}

bool TruncateDescriptor(int descriptor, uint64_t length) {
  const int error = _chsize_s(descriptor, static_cast<__int64>(length));
  if (error != 0) errno = error;
  return error == 0;
}

bool FlushToDisk(int descriptor) {
  const HANDLE handle = HandleOf(descriptor);
  if (handle == INVALID_HANDLE_VALUE) {
    errno = EBADF;
    return false;
  }
  return FlushFileBuffers(handle) != 0 || FailWith(GetLastError());
}

std::optional<DescriptorStatus> StatusOfDescriptor(int descriptor) {
  const HANDLE handle = HandleOf(descriptor);
  BY_HANDLE_FILE_INFORMATION information;
  if (handle == INVALID_HANDLE_VALUE) {
    errno = EBADF;
    return std::nullopt;
  }
  if (!GetFileInformationByHandle(handle, &information)) {
    FailWith(GetLastError());
    return std::nullopt;
  }
  DescriptorStatus status;
  status.regular = GetFileType(handle) == FILE_TYPE_DISK &&
                   (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  status.writable = (information.dwFileAttributes & FILE_ATTRIBUTE_READONLY) == 0;
  status.size = (uint64_t{information.nFileSizeHigh} << 32) | uint64_t{information.nFileSizeLow};
  status.links = information.nNumberOfLinks;
  return status;
}

std::optional<std::string> ResolvedPath(const std::string& path) {
  const HANDLE handle =
      CreateFileW(WidePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    FailWith(GetLastError());
    return std::nullopt;
  }
  std::vector<wchar_t> buffer(MAX_PATH);
  DWORD length = 0;
  for (;;) {
    length = GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length < buffer.size()) break;
    buffer.resize(length + 1);
  }
  const DWORD code = GetLastError();
  CloseHandle(handle);
  if (length == 0) {
    FailWith(code);
    return std::nullopt;
  }
  std::wstring resolved(buffer.data(), length);
  // The answer comes as \\?\C:\... or \\?\UNC\server\share\...: back to
  // the forms every program takes.
  if (resolved.rfind(L"\\\\?\\UNC\\", 0) == 0)
    resolved = L"\\\\" + resolved.substr(8);
  else if (resolved.rfind(L"\\\\?\\", 0) == 0)
    resolved = resolved.substr(4);
  return Utf8FromWide(resolved);
}
