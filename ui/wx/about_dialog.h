// AboutDialog: the About box (dialog 100) in wxWidgets, built from the
// box's data (ui/about_box.h): the picture, the version "1.02", the links
// as HyperlinkLabels that open with the desktop's opener, the read-only
// notice and OK, placed by LayOutAboutBox (ui/about_box_layout.h): at the
// desktop font's scale, never clipped, and narrowed to the screen's height
// where the screen is too small for the template. OK, Escape and the close box end it; F1 inside it
// does nothing (it does not reach the main window, whose F1 opens the help).
//
// Lifecycle: made on the stack by the main window's About command, shown
// with ShowModal(), destroyed when the command returns.
#pragma once

#include <wx/dialog.h>

#include <map>
#include <vector>

#include "ui/desktop_opener.h"

class AboutDialog : public wxDialog {
 public:
  // `opener` is not owned and must outlive the box.
  AboutDialog(wxWindow* parent, DesktopOpener& opener);

  // The control of a template id (links, version, notice, OK), or null.
  wxWindow* Control(int id) const;

 private:
  void CreateControls(DesktopOpener& opener);
  void LayOut();
  // The tallest client area the box's screen shows (its work area less the
  // title bar).
  int TallestClientHeight() const;
  void OnCharHook(wxKeyEvent& event);

  std::map<int, wxWindow*> controls_;  // by template id
  std::vector<wxWindow*> ordered_;     // every control in template order
};
