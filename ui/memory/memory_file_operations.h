// MemoryFileOperations: FileOperations on a file system kept in memory (a
// set of file names with contents), with the same promises as the disk's:
// a move fails when the source is missing or the new name is taken, a copy
// fails when the source is missing and otherwise replaces the target. Names
// in `failing` fail as a full disk or a read-only folder would. Every call
// is recorded.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "ui/file_operations.h"

struct FileOperationCall {
  bool copy;  // false: a move
  std::string from;
  std::string to;
  bool succeeded;
};

class MemoryFileOperations : public FileOperations {
 public:
  bool MoveFileNoReplace(const std::string& from, const std::string& to) override;
  bool CopyFileReplacing(const std::string& from, const std::string& to) override;

  std::map<std::string, std::string> files;  // name -> content
  std::set<std::string> failing;             // targets that cannot be written
  std::vector<FileOperationCall> calls;
};
