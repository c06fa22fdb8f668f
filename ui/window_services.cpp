// The real services behind the main dialog. See window_services.h.
#include "ui/window_services.h"

#include <thread>

#include "platform/program_folder.h"

namespace {

// A test's service where it gives one, else the window's own.
template <typename Service>
Service& Either(Service* replacement, Service& own) {
  return replacement != nullptr ? *replacement : own;
}

}  // namespace

WindowServices::WindowServices(MessageTarget& target, const std::string& currentFolder,
                               const ServiceOverrides& overrides)
    : overrides_(overrides),
      analysis_(target),
      allCores_(target, static_cast<int>(std::thread::hardware_concurrency())),
      helpDocuments_(StandardHelpFolders(currentFolder, ProgramFolder())),
      scan_(target),
      tagRead_(target, tagWriter_) {}

WindowServices::~WindowServices() {
  StopWorkers();
}

DialogServices WindowServices::ForDialog(const ViewServices& view) {
  return DialogServices{view.window,
                        Either(overrides_.messageBox, view.messageBox),
                        view.folderChooser,
                        Either(overrides_.saveFileChooser, view.saveFileChooser),
                        analysis_,
                        cdAccess_,
                        files_,
                        Clock(),
                        Either(overrides_.timer, view.timer),
                        Opener(view.opener),
                        helpDocuments_,
                        tagWriter_};
}

TickClock& WindowServices::Clock() {
  return Either<TickClock>(overrides_.clock, clock_);
}

DesktopOpener& WindowServices::Opener(DesktopOpener& own) const {
  return Either(overrides_.opener, own);
}

void WindowServices::StopWorkers() {
  analysis_.Stop();
  allCores_.Stop();
  scan_.Cancel();
  tagRead_.Cancel();
}
