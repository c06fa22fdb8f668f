// The command line on Windows: the wide command line in UTF-8. See
// program_arguments.h.
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include "platform/program_arguments.h"
#include "platform/win32/wide_text.h"

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> arguments;
  arguments.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) arguments.push_back(Utf8FromWide(wide[i]));
  LocalFree(wide);
  return arguments;
}
