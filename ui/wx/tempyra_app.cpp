// The window program's application object. See tempyra_app.h.
#include "ui/wx/tempyra_app.h"

#include "ui/wx/main_frame.h"

bool TempyraApp::OnInit() {
  // The command line was read before the toolkit started (main.cpp); the
  // base class's own option parsing is not wanted.
  auto* frame = new MainFrame(folder_);
  frame->Show();
  return true;
}
