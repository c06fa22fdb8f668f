// tempyra-open-recorder: stands in for the program the shell starts to
// open a document, in the window test's wine prefix (which associates the
// help documents' types with it), and writes down what it was given:
//
//   tempyra-open-recorder RECORD_FILE DOCUMENT
//
// appends DOCUMENT, in UTF-8, and a line end to RECORD_FILE. Exit status 0,
// or 2 for a wrong command line or a record that cannot be written.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>

#include "platform/win32/wide_text.h"

int main() {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == nullptr || count != 3) {
    std::fprintf(stderr, "usage: tempyra-open-recorder RECORD_FILE DOCUMENT\n");
    return 2;
  }
  const std::string line = Utf8FromWide(arguments[2]) + "\n";
  FILE* record = _wfopen(arguments[1], L"ab");
  LocalFree(arguments);
  if (record == nullptr) return 2;
  const bool written = std::fwrite(line.data(), 1, line.size(), record) == line.size();
  return std::fclose(record) == 0 && written ? 0 : 2;
}
