// Whole writes. See write_all.h.
#include "platform/write_all.h"

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cerrno>

bool WriteAll(int descriptor, const void* data, size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
#if defined(_WIN32)
    // The C runtime's write takes an unsigned int count.
    const unsigned chunk = size > (1u << 30) ? (1u << 30) : static_cast<unsigned>(size);
    const int written = _write(descriptor, bytes, chunk);
#else
    const ssize_t written = write(descriptor, bytes, size);
#endif
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}
