// HyperlinkLabel: a line of text drawn as a web link (blue, underlined, in
// its parent's font) that opens its address when clicked. The caption is
// read once, when the label is made; the address is "https://" and the
// caption. The hand cursor shows only while the pointer is over the text,
// and only a click that starts and ends on the text opens the address, with
// the desktop's opener; the window that holds the label stays open. The
// label takes no keyboard focus, like any static text.
#pragma once

#include <wx/control.h>

#include <string>

#include "ui/desktop_opener.h"

class HyperlinkLabel : public wxControl {
 public:
  // `opener` is not owned and must outlive the label.
  HyperlinkLabel(wxWindow* parent, wxWindowID id, const std::string& caption,
                 DesktopOpener& opener);

  bool AcceptsFocus() const override { return false; }
  // The address a click opens.
  const std::string& LinkTarget() const { return linkTarget_; }
  // The part of the control the text covers, in its own coordinates.
  wxRect TextRect() const;

 protected:
  wxSize DoGetBestSize() const override;

 private:
  void OnPaint(wxPaintEvent& event);
  void OnMotion(wxMouseEvent& event);
  void OnLeaveWindow(wxMouseEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);
  void ShowHandCursor(bool hand);

  DesktopOpener& opener_;
  const std::string captionText_;
  const std::string linkTarget_;
  bool pressedOnText_ = false;
  bool handShown_ = false;
};
