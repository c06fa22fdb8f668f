// The console on Windows. See console.h.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <initializer_list>

#include "platform/console.h"

namespace {

HANDLE HandleOf(std::FILE* stream) {
  const intptr_t handle = _get_osfhandle(_fileno(stream));
  return handle == -1 || handle == -2 ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(handle);
}

}  // namespace

void PrepareConsole() {
  SetConsoleOutputCP(CP_UTF8);
  for (DWORD which : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
    const HANDLE handle = GetStdHandle(which);
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode))
      SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
  }
}

bool IsTerminal(std::FILE* stream) {
  DWORD mode = 0;
  const HANDLE handle = HandleOf(stream);
  return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

bool TerminalTakesEscapes(std::FILE* stream) {
  DWORD mode = 0;
  const HANDLE handle = HandleOf(stream);
  return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0 &&
         (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

bool UseBinaryOutput(std::FILE* stream) {
  std::fflush(stream);
  return _setmode(_fileno(stream), _O_BINARY) != -1;
}
