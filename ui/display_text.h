// Display text for names from the file system. A path on Linux is a string
// of bytes that need not be UTF-8 (a folder copied from an old Latin-1
// disk); the toolkit takes UTF-8 only and shows nothing at all for a text
// that is not. DisplayText turns the bytes into valid UTF-8 in one way for
// every place that shows a name (the list, the path box, the status line,
// message boxes, the measuring of a column): each byte that does not belong
// to a well-formed UTF-8 sequence becomes U+FFFD, the replacement
// character, so a non-empty name never shows as empty. The conversion is
// for showing only: every file operation keeps the original bytes.
#pragma once

#include <string>
#include <string_view>

// True when the bytes are well-formed UTF-8 (no overlong forms, no
// surrogates, nothing above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// The bytes as valid UTF-8: well-formed sequences kept, every other byte
// replaced by U+FFFD. Valid UTF-8 comes back unchanged.
std::string DisplayText(std::string_view bytes);
