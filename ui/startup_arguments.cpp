// The window program's command line. See startup_arguments.h.
#include "ui/startup_arguments.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace {

constexpr const char* kUsage = "(usage: tempyra [--] [FOLDER])";

}  // namespace

StartupArguments ParseStartupArguments(int argc, const char* const* argv) {
  StartupArguments arguments;
  // "--" ends the options: what follows is a folder even when it starts
  // with a dash (a folder named "--version" too).
  std::vector<std::string> operands;
  bool onlyOperands = false;
  for (int i = 1; i < argc; ++i) {
    const std::string given = argv[i];
    if (!onlyOperands && given == "--") {
      onlyOperands = true;
      continue;
    }
    if (!onlyOperands && given == "--version") {
      if (argc != 2) {
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
  if (given.empty() || !std::filesystem::is_directory(given, error)) {
    arguments.error = "tempyra: " + given + ": not a folder " + kUsage;
    return arguments;
  }
  // The path as a folder browser gives it: absolute, without "." or ".."
  // parts, without a trailing separator (except the root itself).
  std::filesystem::path path = std::filesystem::absolute(given, error).lexically_normal();
  std::string text = path.string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  arguments.folder = text;
  return arguments;
}
