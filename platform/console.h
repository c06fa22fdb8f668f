// The console a command-line program writes to.
//
// PrepareConsole sets standard output and standard error up once at start:
// on Windows the console is switched to UTF-8 output (the program writes
// UTF-8, which the console would otherwise show in its ANSI code page) and
// asked to take escape sequences. IsTerminal says whether a stream goes to
// a terminal (a progress line is drawn there only); TerminalTakesEscapes
// whether that terminal understands "\033[K" (an old Windows console does
// not: the progress line is then padded with spaces instead).
// UseBinaryOutput puts a stream in binary mode, so that bytes reach a file
// or pipe as written (Windows' text mode turns every 0x0A into 0x0D 0x0A).
#pragma once

#include <cstdio>

void PrepareConsole();
bool IsTerminal(std::FILE* stream);
bool TerminalTakesEscapes(std::FILE* stream);
bool UseBinaryOutput(std::FILE* stream);
