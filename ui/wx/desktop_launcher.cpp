// Opening documents, files and addresses on the desktop. See
// desktop_launcher.h.
#include "ui/wx/desktop_launcher.h"

#include <wx/log.h>
#include <wx/utils.h>

void DesktopLauncher::Open(const std::string& target) {
  // The toolkit would report a failure in a message box of its own.
  wxLogNull quiet;
  const wxString location = wxString::FromUTF8(target);
  if (target.starts_with("https://") || target.starts_with("http://"))
    wxLaunchDefaultBrowser(location, wxBROWSER_NOBUSYCURSOR);
  else
    wxLaunchDefaultApplication(location);
}
