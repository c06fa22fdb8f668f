// Hidden copies beside a file. See copy_beside.h.
#include "tags/copy_beside.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/write_all.h"

namespace {

bool IsFullDisk(int number) {
  return number == ENOSPC || number == EDQUOT || number == EFBIG;
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
  off_t offset = 0;
  for (;;) {
    const ssize_t got = pread(from, block.data(), block.size(), offset);
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (got == 0) break;
    if (lseek(to, offset, SEEK_SET) != offset ||
        !WriteAll(to, block.data(), static_cast<size_t>(got)))
      return false;
    offset += got;
  }
  return ftruncate(to, offset) == 0;
}

int CopyBeside(const std::string& originalPath, int original, const char* kind,
               std::string* copyPath, std::string* error) {
  const size_t slash = originalPath.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : originalPath.substr(0, slash);
  const std::string name =
      slash == std::string::npos ? originalPath : originalPath.substr(slash + 1);
  std::string pattern =
      folder + "/." + (name.size() <= 200 ? name + "." : std::string()) + kind + "XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const int copy = mkostemp(buffer.data(), O_CLOEXEC);
  if (copy < 0) {
    *error = WriteFailureReason(FileAction::kCreateInFolder, "cannot make a file beside it", errno);
    return -1;
  }
  if (!CopyContents(original, copy)) {
    *error = WriteFailureReason(FileAction::kWrite, "cannot copy the file beside it", errno);
    close(copy);
    unlink(buffer.data());
    return -1;
  }
  *copyPath = buffer.data();
  return copy;
}
