// The window program's command line. See startup_arguments.h.
#include "ui/startup_arguments.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/path.h"
#include "platform/utf8_path.h"

namespace {

constexpr const char* kUsage = "(usage: tempyra [--] [FOLDER])";

}  // namespace

StartupArguments ParseStartupArguments(const std::vector<std::string>& argv) {
  StartupArguments arguments;
  // "--" ends the options: what follows is a folder even when it starts
  // with a dash (a folder named "--version" too).
  std::vector<std::string> operands;
  bool onlyOperands = false;
  for (std::size_t i = 1; i < argv.size(); ++i) {
    const std::string& given = argv[i];
    if (!onlyOperands && given == "--") {
      onlyOperands = true;
      continue;
    }
    if (!onlyOperands && given == "--version") {
      if (argv.size() != 2) {
        arguments.error = std::string("tempyra: --version takes no other argument ") + kUsage;
        return arguments;
      }
      arguments.showVersion = true;
      return arguments;
    }
    if (!onlyOperands && given.size() > 1 && given[0] == '-') {
      arguments.error = "tempyra: " + given + ": unknown option " + kUsage;
      return arguments;
    }
    operands.push_back(given);
  }
  if (operands.empty()) return arguments;
  if (operands.size() > 1) {
    arguments.error = std::string("tempyra: too many arguments ") + kUsage;
    return arguments;
  }
  const std::string& given = operands.front();
  std::error_code error;
  if (given.empty() || !std::filesystem::is_directory(Utf8Path(given), error)) {
    arguments.error = "tempyra: " + given + ": not a folder " + kUsage;
    return arguments;
  }
  // The path as a folder browser gives it: absolute, without "." or ".."
  // parts, without a trailing separator (except the root itself).
  std::filesystem::path path = std::filesystem::absolute(Utf8Path(given), error).lexically_normal();
  arguments.folder = WithoutTrailingSeparators(PathText(path));
  return arguments;
}
