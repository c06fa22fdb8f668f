// FileOperations: the two file operations of renaming and copying a track
// with its tempo in the name. Both keep every file the user had:
//
//   MoveFileNoReplace gives a file a new name and fails when that name is
//   taken (the file there stays untouched) or the file is missing.
//   CopyFileReplacing copies a file to a new name, replacing a file that has
//   it only once the copy is whole; a failed copy leaves neither a partial
//   file nor a damaged target. The copy keeps the source's permissions and
//   modification time.
//
// Both return false on failure. DiskFileOperations (disk_file_operations.h)
// does this on the real file system; tests also use a double in memory.
#pragma once

#include <string>

class FileOperations {
 public:
  virtual ~FileOperations() = default;
  virtual bool MoveFileNoReplace(const std::string& from, const std::string& to) = 0;
  virtual bool CopyFileReplacing(const std::string& from, const std::string& to) = 0;
};
