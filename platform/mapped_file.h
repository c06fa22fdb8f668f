// MappedFile: a whole file mapped read-only into memory.
//
// The audio source decodes straight from the mapping: no reads, no copies of
// the compressed data. Only regular files open: an empty file, a folder, a
// named pipe or a device fails with a reason, and never blocks.
// Reading a page of a file that another program truncated after it was
// mapped raises SIGBUS (on Windows EXCEPTION_IN_PAGE_ERROR, also for a
// network share or a removable drive that goes away); read mapped bytes
// only inside a FaultGuard.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class MappedFile {
 public:
  MappedFile() = default;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile() { Close(); }

  // Maps the file at path. On failure returns false, stays closed and puts a
  // short reason into *error when error is not null.
  bool Open(const std::string& path, std::string* error = nullptr);
  void Close();

  bool IsOpen() const { return data_ != nullptr; }
  const uint8_t* Data() const { return data_; }
  // The mapped length, at most 4 GiB - 1 (offsets in the file are 32-bit).
  uint32_t Size() const { return size_; }

 private:
  const uint8_t* data_ = nullptr;
  size_t mappedLength_ = 0;
  uint32_t size_ = 0;
};
