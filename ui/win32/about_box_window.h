// AboutBoxWindow: the About box (dialog 100) on Windows, built from its
// template in ui/ (about_box.h): the picture, the version, the links and
// the notice. The links are blue and underlined; the hand cursor shows only
// over their text, and a click there opens the address through the
// DesktopOpener. OK, Enter and Escape close the box; F1 inside it does
// nothing.
#pragma once

#include <windows.h>

#include "ui/desktop_opener.h"

class AboutBoxWindow {
 public:
  explicit AboutBoxWindow(DesktopOpener& opener) : opener_(opener) {}
  AboutBoxWindow(const AboutBoxWindow&) = delete;
  AboutBoxWindow& operator=(const AboutBoxWindow&) = delete;
  ~AboutBoxWindow();

  // Shows the box modally over `owner`; returns when it is closed.
  void Run(HWND owner);

 private:
  static INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void OnInitDialog();
  // The link under the cursor's screen position `point`, within its text;
  // 0 for none.
  int LinkAt(POINT point) const;

  DesktopOpener& opener_;
  HWND window_ = nullptr;
  HBITMAP picture_ = nullptr;
  HFONT linkFont_ = nullptr;
};
