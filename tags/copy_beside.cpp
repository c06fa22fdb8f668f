// Hidden copies beside a file. See copy_beside.h.
#include "tags/copy_beside.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/file_descriptor.h"
#include "platform/path.h"
#include "platform/temporary_name.h"
#include "platform/utf8_path.h"

namespace {

bool IsFullDisk(int number) {
#ifdef EDQUOT
  if (number == EDQUOT) return true;
#endif
  return number == ENOSPC || number == EFBIG;
}

bool IsRefused(int number) {
  return number == EACCES || number == EPERM || number == EROFS;
}

}  // namespace

std::string WriteFailureReason(FileAction action, const std::string& what, int number) {
  const std::string detail = what + ": " + std::strerror(number);
  if (IsFullDisk(number)) return "the disk is full (" + detail + ")";
  if (IsRefused(number) && action == FileAction::kCreateInFolder)
    return "the folder is read-only (" + detail + ")";
  if (IsRefused(number) && action == FileAction::kOpenFile)
    return "the file is read-only (" + detail + ")";
  return detail;
}

bool CopyContents(int from, int to) {
  std::vector<char> block(1 << 20);
  uint64_t offset = 0;
  for (;;) {
    const long long got = ReadAt(from, block.data(), block.size(), offset);
    if (got < 0) return false;
    if (got == 0) break;
    if (!WriteAt(to, block.data(), static_cast<size_t>(got), offset)) return false;
    offset += static_cast<uint64_t>(got);
  }
  return TruncateDescriptor(to, offset);
}

void RemoveCopy(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove(Utf8Path(path), ignored);
}

int CopyBeside(const std::string& originalPath, int original, const char* kind,
               std::string* copyPath, std::string* error) {
  const std::string folder = FolderOf(originalPath);
  const std::string_view name = FileNameOf(originalPath);
  // Names are at most 255 bytes: a long name gets a short hidden one.
  std::string prefix = ".";
  if (name.size() <= 200) prefix.append(name).append(".");
  prefix.append(kind);
  int copy = -1;
  std::string path;
  for (int attempt = 0; attempt < 100 && copy < 0; ++attempt) {
    path = JoinPath(folder, prefix + RandomNameSuffix());
    copy = CreateNewDescriptor(path);
    if (copy < 0 && errno != EEXIST) break;
  }
  if (copy < 0) {
    *error = WriteFailureReason(FileAction::kCreateInFolder, "cannot make a file beside it", errno);
    return -1;
  }
  if (!CopyContents(original, copy)) {
    *error = WriteFailureReason(FileAction::kWrite, "cannot copy the file beside it", errno);
    CloseDescriptor(copy);
    RemoveCopy(path);
    return -1;
  }
  *copyPath = path;
  return copy;
}
