// File operations on the real file system. See disk_file_operations.h.
#include "ui/disk_file_operations.h"

#include "platform/file_transfer.h"

bool DiskFileOperations::MoveFileNoReplace(const std::string& from, const std::string& to) {
  return ::MoveFileNoReplace(from, to);
}

bool DiskFileOperations::CopyFileReplacing(const std::string& from, const std::string& to) {
  return ::CopyFileReplacing(from, to);
}
