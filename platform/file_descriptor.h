// Files open as C runtime file descriptors, the form TagLib's file stream
// takes, with the few calls the tag layer makes on them.
//
// Opening never blocks (a named pipe without a writer fails instead of
// hanging), descriptors are not inherited by child programs, and on Windows
// the file is opened in binary mode, by its UTF-16 name, and shared for
// reading, writing and deleting, so that it can be replaced by a rewritten
// copy while it is open. Failures set errno.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

enum class FileAccess { kRead, kReadWrite };

struct DescriptorStatus {
  bool regular = false;   // a regular file (not a folder, pipe or device)
  bool writable = false;  // not marked read-only (any write bit; no read-only attribute)
  uint64_t size = 0;
  uint32_t links = 1;  // names the file has (hard links)
};

// -1 with errno set on failure.
int OpenDescriptor(const std::string& path, FileAccess access);
void CloseDescriptor(int descriptor);
// Creates a new file at `path`, open for reading and writing, readable and
// writable by its owner only; fails (errno EEXIST) when anything of that
// name exists, so a name is never taken over. -1 with errno set on failure.
int CreateNewDescriptor(const std::string& path);
// A second descriptor of the same open file, sharing its position.
int DuplicateDescriptor(int descriptor);
bool SeekDescriptor(int descriptor, uint64_t offset);
// Reads up to `size` bytes at `offset` without moving the file position:
// the count read (0 at the end), or -1 with errno set.
long long ReadAt(int descriptor, void* data, size_t size, uint64_t offset);
// Reads exactly `size` bytes at `offset`; false at the end of the file or
// on an error (errno set).
inline bool ReadExactlyAt(int descriptor, void* data, size_t size, uint64_t offset) {
  auto* bytes = static_cast<char*>(data);
  while (size > 0) {
    const long long got = ReadAt(descriptor, bytes, size, offset);
    if (got <= 0) return false;
    bytes += got;
    size -= static_cast<size_t>(got);
    offset += static_cast<uint64_t>(got);
  }
  return true;
}
// Writes all `size` bytes at `offset` without moving the file position;
// false with errno set when not all could be written.
bool WriteAt(int descriptor, const void* data, size_t size, uint64_t offset);
// Cuts (or extends with zeros) the file to `length` bytes.
bool TruncateDescriptor(int descriptor, uint64_t length);
// Writes what was written to the disk itself.
bool FlushToDisk(int descriptor);
std::optional<DescriptorStatus> StatusOfDescriptor(int descriptor);
// The path of the file itself, links resolved; nothing with errno set.
std::optional<std::string> ResolvedPath(const std::string& path);
