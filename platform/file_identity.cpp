// File identities over stat. See file_identity.h.
#include "platform/file_identity.h"

#include <sys/stat.h>

namespace {

std::optional<FileIdentity> IdentityOfStatus(const struct stat& status) {
  if (!S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode) && !S_ISBLK(status.st_mode))
    return std::nullopt;
  return FileIdentity{static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)};
}

}  // namespace

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return std::nullopt;
  return IdentityOfStatus(status);
}

std::optional<FileIdentity> IdentityOfStream(std::FILE* stream) {
  struct stat status;
  if (fstat(fileno(stream), &status) != 0) return std::nullopt;
  return IdentityOfStatus(status);
}
