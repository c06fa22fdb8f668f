// UTF-8 inside the program, UTF-16 at the Windows API: the conversions, and
// the text and errno value of a Windows error code.
//
// Every string the program keeps is UTF-8; the Win32 layer converts a path
// to UTF-16 just before it calls a "W" function and converts back what the
// system returns. Text that is not valid UTF-8 converts with U+FFFD in
// place of the bad bytes, so it names no file and an open fails cleanly.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);

// A path for the "W" functions: UTF-16, with '/' turned into '\' (the
// functions take both, but the \\?\ forms and some shell calls do not).
std::wstring WidePath(std::string_view path);

// The system's message for a Windows error code, without the line end.
std::string WindowsErrorText(DWORD code);

// The errno value closest to a Windows error code, for interfaces that
// report errno values (EIO when nothing closer fits).
int ErrnoFromWindowsError(DWORD code);
