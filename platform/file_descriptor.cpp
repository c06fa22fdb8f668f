// Descriptors over POSIX calls. See file_descriptor.h.
#include "platform/file_descriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

int OpenDescriptor(const std::string& path, FileAccess access) {
  const int mode = access == FileAccess::kRead ? O_RDONLY : O_RDWR;
  return open(path.c_str(), mode | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
}

int CreateNewDescriptor(const std::string& path) {
  return open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600);
}

void CloseDescriptor(int descriptor) {
  if (descriptor >= 0) close(descriptor);
}

int DuplicateDescriptor(int descriptor) {
  return fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
}

bool SeekDescriptor(int descriptor, uint64_t offset) {
  return lseek(descriptor, static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset);
}

long long ReadAt(int descriptor, void* data, size_t size, uint64_t offset) {
  for (;;) {
    const ssize_t got = pread(descriptor, data, size, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    return got;
  }
}

bool WriteAt(int descriptor, const void* data, size_t size, uint64_t offset) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = pwrite(descriptor, bytes, size, static_cast<off_t>(offset));
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes += written;
    size -= static_cast<size_t>(written);
    offset += static_cast<uint64_t>(written);
  }
  return true;
}

bool TruncateDescriptor(int descriptor, uint64_t length) {
  return ftruncate(descriptor, static_cast<off_t>(length)) == 0;
}

bool FlushToDisk(int descriptor) {
  return fsync(descriptor) == 0;
}

std::optional<DescriptorStatus> StatusOfDescriptor(int descriptor) {
  struct stat status {};
  if (fstat(descriptor, &status) != 0) return std::nullopt;
  DescriptorStatus result;
  result.regular = S_ISREG(status.st_mode);
  result.writable = (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
  result.size = status.st_size > 0 ? static_cast<uint64_t>(status.st_size) : 0;
  result.links = static_cast<uint32_t>(status.st_nlink);
  return result;
}

std::optional<std::string> ResolvedPath(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return std::nullopt;
  std::string result = resolved;
  std::free(resolved);
  return result;
}
