// MappedFile over open + mmap. See mapped_file.h.
#include "platform/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

bool MappedFile::Open(const std::string& path, std::string* error) {
  Close();
  auto fail = [&](const char* reason) {
    if (error != nullptr) *error = reason;
    return false;
  };
  // Non-blocking, so that a named pipe with no writer (or a device that
  // waits) is refused below instead of hanging the open.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return fail(std::strerror(errno));
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    int saved = errno;
    ::close(fd);
    return fail(std::strerror(saved));
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    return fail(S_ISDIR(st.st_mode) ? "is a directory" : "not a regular file");
  }
  if (st.st_size == 0) {
    ::close(fd);
    return fail("empty file");
  }
  size_t length = static_cast<size_t>(st.st_size);
  void* view = ::mmap(nullptr, length, PROT_READ, MAP_SHARED, fd, 0);
  int saved = errno;
  ::close(fd);  // the mapping keeps the file
  if (view == MAP_FAILED) return fail(std::strerror(saved));
  ::madvise(view, length, MADV_SEQUENTIAL);
  data_ = static_cast<const uint8_t*>(view);
  mappedLength_ = length;
  size_ = length > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(length);
  return true;
}

void MappedFile::Close() {
  if (data_ != nullptr) ::munmap(const_cast<uint8_t*>(data_), mappedLength_);
  data_ = nullptr;
  mappedLength_ = 0;
  size_ = 0;
}
