// The window program's command line. See startup_arguments.h.
#include "ui/startup_arguments.h"

#include <filesystem>
#include <system_error>

#include "platform/path.h"
#include "platform/utf8_path.h"

StartupArguments ParseStartupArguments(const std::vector<std::string>& argv) {
  StartupArguments arguments;
  if (argv.size() <= 1) return arguments;
  if (argv.size() > 2) {
    arguments.error = "tempyra: too many arguments (usage: tempyra [FOLDER])";
    return arguments;
  }
  const std::string given = argv[1];
  if (given == "--version") {
    arguments.showVersion = true;
    return arguments;
  }
  std::error_code error;
  if (given.empty() || !std::filesystem::is_directory(Utf8Path(given), error)) {
    arguments.error = "tempyra: " + given + ": not a folder (usage: tempyra [FOLDER])";
    return arguments;
  }
  // The path as a folder browser gives it: absolute, without "." or ".."
  // parts, without a trailing separator (except the root itself).
  std::filesystem::path path = std::filesystem::absolute(Utf8Path(given), error).lexically_normal();
  arguments.folder = WithoutTrailingSeparators(PathText(path));
  return arguments;
}
