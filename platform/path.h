// Paths as text: where a file name starts, the folder part, joining.
//
// Every part of the program that takes a path apart goes through here, so
// that a Windows path ("C:\Music\Set.1\house.mp3", "C:house.mp3",
// "\\server\share\a.mp3") splits where Windows splits it: at '\' and '/',
// and after a drive's colon. On Linux only '/' separates. The functions
// take the style as an argument (the running system's by default), so that
// both are tested everywhere.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

enum class PathStyle { kPosix, kWindows };

#if defined(_WIN32)
inline constexpr PathStyle kNativePathStyle = PathStyle::kWindows;
#else
inline constexpr PathStyle kNativePathStyle = PathStyle::kPosix;
#endif

// The separator that JoinPath puts between a folder and a name.
constexpr char PreferredSeparator(PathStyle style = kNativePathStyle) {
  return style == PathStyle::kWindows ? '\\' : '/';
}

constexpr bool IsPathSeparator(char c, PathStyle style = kNativePathStyle) {
  return c == '/' || (style == PathStyle::kWindows && c == '\\');
}

// Where the last component (the file name) starts: after the last
// separator, or after "X:" of a drive-relative Windows path; 0 for a bare
// name.
size_t FileNameStart(std::string_view path, PathStyle style = kNativePathStyle);

// The last component: "house.mp3" of "/music/house.mp3" and of
// "C:\Music\house.mp3"; the whole text when it has no separator.
std::string_view FileNameOf(std::string_view path, PathStyle style = kNativePathStyle);

// The folder part of a path, for making files beside it: "." for a bare
// name, the root itself for a file in the root ("/", "C:\"), "C:" for
// "C:house.mp3"; otherwise the text before the last separator.
std::string FolderOf(std::string_view path, PathStyle style = kNativePathStyle);

// The path of `name` inside `folder`, with exactly one separator between
// (none added after a folder that already ends in one, or after "C:").
std::string JoinPath(std::string_view folder, std::string_view name,
                     PathStyle style = kNativePathStyle);

// The path without trailing separators, except where they are the root
// itself ("/", "C:\", "\\" ).
std::string WithoutTrailingSeparators(std::string_view path, PathStyle style = kNativePathStyle);
