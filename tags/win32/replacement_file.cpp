// A copy beside a file, moved over it when complete: the Windows version.
// See replacement_file.h.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/file_descriptor.h"
#include "platform/path.h"
#include "platform/temporary_name.h"
#include "platform/win32/wide_text.h"
#include "platform/write_all.h"
#include "tags/replacement_file.h"

namespace {

std::string Reason(const char* what, DWORD code) {
  return std::string(what) + ": " + WindowsErrorText(code);
}

std::string ErrnoReason(const char* what, int number) {
  return std::string(what) + ": " + std::strerror(number);
}

// The attributes a rewritten file keeps.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

}  // namespace

ReplacementFile::~ReplacementFile() {
  Discard();
}

void ReplacementFile::Discard() {
  if (descriptor_ >= 0) _close(descriptor_);
  if (!path_.empty()) DeleteFileW(WidePath(path_).c_str());
  descriptor_ = -1;
  path_.clear();
}

bool ReplacementFile::Create(const std::string& originalPath, int original, std::string* error) {
  Discard();
  const intptr_t originalHandle = _get_osfhandle(original);
  BY_HANDLE_FILE_INFORMATION information;
  if (originalHandle == -1 ||
      !GetFileInformationByHandle(reinterpret_cast<HANDLE>(originalHandle), &information)) {
    *error = Reason("cannot read the file's status", GetLastError());
    return false;
  }
  const std::optional<DescriptorStatus> status = StatusOfDescriptor(original);
  if (!status || !status->regular) {
    *error = "not a regular file";
    return false;
  }
  originalPath_ = originalPath;
  mode_ = information.dwFileAttributes & kKeptAttributes;

  const std::string folder = FolderOf(originalPath);
  // Names are at most 255 characters: a long name gets a short temporary one.
  const std::string_view name = FileNameOf(originalPath);
  HANDLE handle = INVALID_HANDLE_VALUE;
  std::string path;
  for (int attempt = 0; attempt < 100 && handle == INVALID_HANDLE_VALUE; ++attempt) {
    std::string temporaryName = ".";
    if (name.size() <= 200) temporaryName.append(name).append(".");
    temporaryName.append("tempyra-").append(RandomNameSuffix());
    path = JoinPath(folder, temporaryName);
    handle = CreateFileW(WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (handle == INVALID_HANDLE_VALUE) {
    *error = Reason("cannot make a temporary file beside it", GetLastError());
    return false;
  }
  descriptor_ =
      _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDWR | _O_BINARY | _O_NOINHERIT);
  if (descriptor_ < 0) {
    CloseHandle(handle);
    DeleteFileW(WidePath(path).c_str());
    *error = "cannot make a temporary file beside it: too many open files";
    return false;
  }
  path_ = path;

  std::vector<char> block(1 << 20);
  uint64_t offset = 0;
  for (;;) {
    const long long got = ReadAt(original, block.data(), block.size(), offset);
    if (got < 0) {
      *error = ErrnoReason("cannot read the file", errno);
      Discard();
      return false;
    }
    if (got == 0) break;
    if (!WriteAll(descriptor_, block.data(), static_cast<size_t>(got))) {
      *error = ErrnoReason("cannot write the temporary copy", errno);
      Discard();
      return false;
    }
    offset += static_cast<uint64_t>(got);
  }
  return true;
}

bool ReplacementFile::Commit(std::string* error) {
  if (descriptor_ < 0) {
    *error = "no copy to put in place";
    return false;
  }
  // Flushed before the move, so that no crash can leave the name on an
  // empty or partial file.
  if (!FlushToDisk(descriptor_)) {
    *error = ErrnoReason("cannot write the new file to the disk", errno);
    Discard();
    return false;
  }
  const int descriptor = descriptor_;
  descriptor_ = -1;
  if (_close(descriptor) != 0) {
    *error = ErrnoReason("cannot write the new file to the disk", errno);
    Discard();
    return false;
  }
  const std::wstring copy = WidePath(path_);
  if (mode_ != 0 && !SetFileAttributesW(copy.c_str(), mode_)) {
    *error = Reason("cannot set the attributes of the new file", GetLastError());
    Discard();
    return false;
  }
  if (!MoveFileExW(copy.c_str(), WidePath(originalPath_).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    *error = Reason("cannot put the new file in place", GetLastError());
    SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
    Discard();
    return false;
  }
  path_.clear();  // it is the original now: not to be removed
  return true;
}
