// The console on Linux: a terminal takes UTF-8 and escapes already, and
// streams have no text mode. See console.h.
#include "platform/console.h"

#include <unistd.h>

void PrepareConsole() {}

bool IsTerminal(std::FILE* stream) {
  return isatty(fileno(stream)) != 0;
}

bool TerminalTakesEscapes(std::FILE* stream) {
  return IsTerminal(stream);
}

bool UseBinaryOutput(std::FILE*) {
  return true;
}
