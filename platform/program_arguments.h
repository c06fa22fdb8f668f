// ProgramArguments: the command line as UTF-8 strings.
//
// On Linux argv is already the bytes the user typed. On Windows argv comes
// in the ANSI code page, where a name like "Café Ωmega.mp3" loses its
// letters and names no file; the wide command line (GetCommandLineW, split
// by CommandLineToArgvW) is converted to UTF-8 instead.
#pragma once

#include <string>
#include <vector>

// All arguments, the program's name first.
std::vector<std::string> ProgramArguments(int argc, char** argv);
