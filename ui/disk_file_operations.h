// DiskFileOperations: FileOperations on the real file system, through the
// platform's safe rename (never replaces a taken name) and safe copy
// (through a temporary file beside the target, renamed over it when whole).
#pragma once

#include "ui/file_operations.h"

class DiskFileOperations : public FileOperations {
 public:
  bool MoveFileNoReplace(const std::string& from, const std::string& to) override;
  bool CopyFileReplacing(const std::string& from, const std::string& to) override;
};
