// The command line of the window program: `tempyra` opens the window empty,
// `tempyra FOLDER` opens it with that folder listed, as if chosen with "...".
// `tempyra --version` prints the version and opens no window. `--` ends the
// options, so `tempyra -- -Sets` lists a folder whose name starts with a
// dash. Anything else (a second folder, an unknown option, an argument that
// is not a folder) is an error, reported in one line before any window
// opens.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct StartupArguments {
  std::optional<std::string> folder;  // absolute, without a trailing '/'
  std::string error;                  // non-empty: the one-line error
  bool showVersion = false;           // --version: print the version, no window
};

// `arguments` as ProgramArguments gives them (UTF-8, the program's name
// first).
StartupArguments ParseStartupArguments(const std::vector<std::string>& arguments);
