// Paths between the program's UTF-8 strings and std::filesystem, and
// opening a stdio stream by a UTF-8 name.
//
// std::filesystem::path built from a std::string, and fopen, take the
// system's narrow encoding: UTF-8 on Linux, the ANSI code page on Windows,
// where a non-ASCII name then names another file or none. These take and
// give UTF-8 everywhere.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

std::filesystem::path Utf8Path(const std::string& text);
std::string PathText(const std::filesystem::path& path);

// fopen with a UTF-8 name; errno set on failure as by fopen.
std::FILE* OpenStdioFile(const std::string& path, const char* mode);
