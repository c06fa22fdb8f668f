// File identities on Windows: volume serial number and file index. See
// file_identity.h.
#include <io.h>
#include <windows.h>

#include "platform/file_identity.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/wide_text.h"

namespace {

std::optional<FileIdentity> IdentityOfHandle(HANDLE handle) {
  if (GetFileType(handle) != FILE_TYPE_DISK) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(handle, &information)) return std::nullopt;
  return FileIdentity{
      information.dwVolumeSerialNumber,
      (uint64_t{information.nFileIndexHigh} << 32) | uint64_t{information.nFileIndexLow}};
}

}  // namespace

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
  // No access asked for: this opens even a file another program holds
  // open for writing.
  const UniqueHandle handle(
      CreateFileW(WidePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle.Valid()) return std::nullopt;
  return IdentityOfHandle(handle.Get());
}

std::optional<FileIdentity> IdentityOfStream(std::FILE* stream) {
  const intptr_t handle = _get_osfhandle(_fileno(stream));
  if (handle == -1 || handle == -2) return std::nullopt;
  return IdentityOfHandle(reinterpret_cast<HANDLE>(handle));
}
