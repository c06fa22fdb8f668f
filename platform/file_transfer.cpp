// Safe rename and copy of a user's files. See file_transfer.h.
#include "platform/file_transfer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/path.h"
#include "platform/write_all.h"

namespace {

bool Fail(std::string* error, int errorNumber) {
  if (error != nullptr) *error = std::strerror(errorNumber);
  return false;
}

// Copies every byte of `in` to `out`; errno tells why when it fails.
bool CopyBytes(int in, int out) {
  std::vector<char> buffer(1 << 18);
  for (;;) {
    const ssize_t n = read(in, buffer.data(), buffer.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return true;
    if (!WriteAll(out, buffer.data(), static_cast<size_t>(n))) return false;
  }
}

// Makes a rename inside `folder` last across a power cut; best effort.
void SyncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

namespace file_transfer_detail {

bool MoveByLink(const std::string& from, const std::string& to, int* errorNumber) {
  if (link(from.c_str(), to.c_str()) != 0) {
    *errorNumber = errno;
    return false;
  }
  if (unlink(from.c_str()) != 0) {
    // Keep the file under its old name only, as before.
    *errorNumber = errno;
    unlink(to.c_str());
    return false;
  }
  return true;
}

bool MoveByClaim(const std::string& from, const std::string& to, int* errorNumber) {
  const int claim = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (claim < 0) {
    *errorNumber = errno;
    return false;
  }
  close(claim);
  if (rename(from.c_str(), to.c_str()) != 0) {
    *errorNumber = errno;
    unlink(to.c_str());  // only the empty claim made above
    return false;
  }
  return true;
}

}  // namespace file_transfer_detail

bool MoveFileNoReplace(const std::string& from, const std::string& to, std::string* error) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  int e = errno;
  // Only a file system that cannot refuse an existing name itself is worth
  // the fallbacks; any other failure (no such file, taken name, no
  // permission) is the answer.
  if (e != EINVAL && e != ENOSYS && e != EOPNOTSUPP) return Fail(error, e);
  if (file_transfer_detail::MoveByLink(from, to, &e)) return true;
  if (e == EPERM || e == EOPNOTSUPP || e == ENOSYS || e == EMLINK) {
    if (file_transfer_detail::MoveByClaim(from, to, &e)) return true;
  }
  return Fail(error, e);
}

bool CopyFileReplacing(const std::string& from, const std::string& to, std::string* error) {
  // Non-blocking, so that a named pipe cannot hang the window.
  const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (in < 0) return Fail(error, errno);
  struct stat source;
  if (fstat(in, &source) != 0) {
    const int e = errno;
    close(in);
    return Fail(error, e);
  }
  if (!S_ISREG(source.st_mode)) {
    close(in);
    if (error != nullptr) *error = "not a regular file";
    return false;
  }
  const std::string folder = FolderOf(to);
  const std::string name = JoinPath(folder, ".tempyra-copy-XXXXXX");
  std::vector<char> pattern(name.begin(), name.end());
  pattern.push_back('\0');
  const int out = mkostemp(pattern.data(), O_CLOEXEC);
  if (out < 0) {
    const int e = errno;
    close(in);
    return Fail(error, e);
  }
  const std::string temporary = pattern.data();
  auto failCopy = [&](int e) {
    unlink(temporary.c_str());
    return Fail(error, e);
  };
  const struct timespec times[2] = {source.st_atim, source.st_mtim};
  if (!CopyBytes(in, out) || fchmod(out, source.st_mode & 07777) != 0 || fsync(out) != 0 ||
      futimens(out, times) != 0) {
    const int e = errno;
    close(in);
    close(out);
    return failCopy(e);
  }
  close(in);
  if (close(out) != 0) return failCopy(errno);
  if (rename(temporary.c_str(), to.c_str()) != 0) return failCopy(errno);
  SyncFolder(folder);
  return true;
}
