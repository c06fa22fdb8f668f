// tempyra-cli: the decoder and the analysis without a window. Each
// subcommand lives in its own file; this only picks one.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/analyze_command.h"
#include "cli/decode_command.h"
#include "cli/info_command.h"
#include "cli/output_stream.h"
#include "cli/text_encoding.h"
#include "platform/console.h"
#include "platform/program_arguments.h"
#include "tempyra_version.h"

namespace {

struct Subcommand {
  const char* name;
  int (*run)(const std::vector<std::string>& args);
  const char* usage;
};

const Subcommand kSubcommands[] = {
    {"analyze", RunAnalyzeCommand, "analyze [options] [--] PATH...  tempo of files and folders"},
    {"decode", RunDecodeCommand, "decode [-o OUT.raw] [--] FILE   16-bit PCM of every frame"},
    {"info", RunInfoCommand,
     "info [--] FILE                   stream information of the first frame"},
};

std::string UsageText() {
  std::string text = "usage: tempyra-cli COMMAND [--help] ...\n       tempyra-cli --version\n";
  for (const Subcommand& command : kSubcommands)
    text += std::string("  tempyra-cli ") + command.usage + "\n";
  text +=
      "Every command takes --help. After --, every argument is a path, even\n"
      "one that begins with a dash.\n";
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  PrepareConsole();
  const std::vector<std::string> arguments = ProgramArguments(argc, argv);
  const std::string first = arguments.size() >= 2 ? arguments[1] : std::string();
  if (arguments.size() >= 2 && (first == "--help" || first == "-h" || first == "help"))
    return PrintHelp(UsageText());
  if (arguments.size() >= 2 && first == "--version")
    return PrintHelp(std::string("tempyra-cli ") + kTempyraVersion + "\n");
  if (arguments.size() >= 2) {
    for (const Subcommand& command : kSubcommands) {
      if (first == command.name)
        return command.run(std::vector<std::string>(arguments.begin() + 2, arguments.end()));
    }
    std::fprintf(stderr, "tempyra-cli: unknown command %s\n", QuoteName(first).c_str());
  }
  std::fputs(UsageText().c_str(), stderr);
  return 2;
}
