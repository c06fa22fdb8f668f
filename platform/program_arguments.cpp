// The command line on Linux: argv as it is. See program_arguments.h.
#include "platform/program_arguments.h"

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}
