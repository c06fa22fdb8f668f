// Paths as text. See path.h.
#include "platform/path.h"

namespace {

// The length of a Windows drive prefix ("C:"), or 0.
size_t DrivePrefixLength(std::string_view path, PathStyle style) {
  if (style != PathStyle::kWindows || path.size() < 2 || path[1] != ':') return 0;
  const char c = path[0];
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ? 2 : 0;
}

// How much of the path is its root and must never be cut: "/" on Linux;
// "C:\", "C:" or "\" on Windows. ("\\server\share" roots are longer, but
// cutting them only ever leaves a path Windows refuses, never a wrong file.)
size_t RootLength(std::string_view path, PathStyle style) {
  const size_t drive = DrivePrefixLength(path, style);
  return drive < path.size() && IsPathSeparator(path[drive], style) ? drive + 1 : drive;
}

}  // namespace

size_t FileNameStart(std::string_view path, PathStyle style) {
  for (size_t i = path.size(); i > 0; --i) {
    if (IsPathSeparator(path[i - 1], style)) return i;
  }
  return DrivePrefixLength(path, style);
}

std::string_view FileNameOf(std::string_view path, PathStyle style) {
  return path.substr(FileNameStart(path, style));
}

std::string FolderOf(std::string_view path, PathStyle style) {
  const size_t start = FileNameStart(path, style);
  if (start == 0) return ".";
  const size_t root = RootLength(path, style);
  if (start <= root) return std::string(path.substr(0, root));
  return std::string(path.substr(0, start - 1));
}

std::string JoinPath(std::string_view folder, std::string_view name, PathStyle style) {
  std::string path(folder);
  if (!path.empty() && !IsPathSeparator(path.back(), style) &&
      DrivePrefixLength(path, style) != path.size())
    path += PreferredSeparator(style);
  path += name;
  return path;
}

std::string WithoutTrailingSeparators(std::string_view path, PathStyle style) {
  const size_t keep = RootLength(path, style);
  size_t end = path.size();
  while (end > keep && IsPathSeparator(path[end - 1], style)) --end;
  return std::string(path.substr(0, end));
}
