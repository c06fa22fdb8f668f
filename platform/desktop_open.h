// OpenWithDesktop: hands a file, folder or address to the desktop's opener
// (xdg-open), which starts the program the desktop associates with it
// (the Windows window opens through the shell itself, ui/win32/
// shell_opener.h, so that it can tell the system's reason). The
// target goes to the opener as it is, byte for byte, so a file whose name
// is not UTF-8 opens like any other. The call does not wait for the opener:
// a small shell starts it in the background and ends at once (so no child
// is left to reap), and the opener's own errors are its own.
#pragma once

#include <string>

// Starts `opener` (found on PATH) with the target as its one argument.
// False when the shell that starts it could not be run.
bool OpenWithDesktop(const std::string& target, const std::string& opener = "xdg-open");
