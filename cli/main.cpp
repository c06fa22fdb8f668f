// tempyra-cli: the decoder and the analysis without a window. Each
// subcommand lives in its own file; this only picks one.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/analyze_command.h"
#include "cli/decode_command.h"
#include "cli/info_command.h"

namespace {

struct Subcommand {
  const char* name;
  int (*run)(const std::vector<std::string>& args);
  const char* usage;
};

const Subcommand kSubcommands[] = {
    {"analyze", RunAnalyzeCommand,
     "analyze [options] PATH...  tempo of files and folders (--help for options)"},
    {"decode", RunDecodeCommand, "decode FILE [-o OUT.raw]   16-bit PCM of every frame"},
    {"info", RunInfoCommand, "info FILE                  stream information of the first frame"},
};

int usage() {
  std::fprintf(stderr, "usage: tempyra-cli COMMAND ...\n");
  for (const Subcommand& command : kSubcommands)
    std::fprintf(stderr, "  tempyra-cli %s\n", command.usage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  for (const Subcommand& command : kSubcommands) {
    if (std::strcmp(argv[1], command.name) == 0)
      return command.run(std::vector<std::string>(argv + 2, argv + argc));
  }
  return usage();
}
