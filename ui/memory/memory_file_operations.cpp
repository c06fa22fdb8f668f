// File operations in memory. See memory_file_operations.h.
#include "ui/memory/memory_file_operations.h"

bool MemoryFileOperations::MoveFileNoReplace(const std::string& from, const std::string& to) {
  const auto source = files.find(from);
  const bool ok = source != files.end() && files.count(to) == 0 && failing.count(to) == 0;
  if (ok) {
    std::string content = std::move(source->second);
    files.erase(source);
    files[to] = std::move(content);
  }
  calls.push_back({false, from, to, ok});
  return ok;
}

bool MemoryFileOperations::CopyFileReplacing(const std::string& from, const std::string& to) {
  const auto source = files.find(from);
  const bool ok = source != files.end() && failing.count(to) == 0;
  if (ok) files[to] = source->second;
  calls.push_back({true, from, to, ok});
  return ok;
}
