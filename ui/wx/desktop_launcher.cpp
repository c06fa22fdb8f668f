// Opening documents, files and addresses on the desktop. See
// desktop_launcher.h.
#include "ui/wx/desktop_launcher.h"

#include <wx/log.h>
#include <wx/utils.h>

#include "platform/desktop_open.h"

void DesktopLauncher::Open(const std::string& target) {
  if (target.starts_with("https://") || target.starts_with("http://")) {
    // The toolkit would report a failure in a message box of its own.
    wxLogNull quiet;
    wxLaunchDefaultBrowser(wxString::FromUTF8(target), wxBROWSER_NOBUSYCURSOR);
    return;
  }
  // A file's path goes to the opener as its bytes: a name that is not
  // UTF-8 would not survive the toolkit's text.
  OpenWithDesktop(target);
}
