// tempyra: the desktop window.
//
//   tempyra            opens the window with an empty list
//   tempyra FOLDER     opens it with FOLDER listed, as if chosen with "..."
//   tempyra -- FOLDER  the same; "--" ends the options
//   tempyra --version  prints the version
//
// Any other command line gets a one-line error on standard error and exit
// status 2, before the toolkit starts (so also without a display).
#include <wx/app.h>
#include <wx/init.h>

#include <cstdio>

#include "platform/program_arguments.h"
#include "tempyra_version.h"
#include "ui/startup_arguments.h"
#include "ui/wx/tempyra_app.h"

int main(int argc, char** argv) {
  const StartupArguments arguments = ParseStartupArguments(ProgramArguments(argc, argv));
  if (!arguments.error.empty()) {
    std::fprintf(stderr, "%s\n", arguments.error.c_str());
    return 2;
  }
  if (arguments.showVersion) {
    std::printf("tempyra %s\n", kTempyraVersion);
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return 0;
    std::perror("tempyra: standard output");
    return 1;
  }
  wxApp::SetInstance(new TempyraApp(arguments.folder));
  // The toolkit sees only the program's name: the folder is ours.
  int toolkitArgc = 1;
  char* toolkitArgv[] = {argv[0], nullptr};
  return wxEntry(toolkitArgc, toolkitArgv);
}
