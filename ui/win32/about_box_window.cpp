// The About box on Windows. See about_box_window.h.
#include "ui/win32/about_box_window.h"

#include <commctrl.h>

#include <string>

#include "platform/win32/wide_text.h"
#include "ui/about_box.h"
#include "ui/about_picture.h"
#include "ui/win32/dialog_template_bytes.h"
#include "ui/win32/picture_bitmap.h"

namespace {

// The colour of a link's text.
constexpr COLORREF kLinkColour = RGB(0, 0, 238);

const AboutControlTemplate* FindAboutControl(int id) {
  for (const AboutControlTemplate& control : AboutBoxControls())
    if (control.id == id) return &control;
  return nullptr;
}

DWORD AlignmentStyle(Alignment alignment) {
  switch (alignment) {
    case Alignment::kLeft:
      return SS_LEFT;
    case Alignment::kRight:
      return SS_RIGHT;
    default:
      return SS_CENTER;
  }
}

}  // namespace

AboutBoxWindow::~AboutBoxWindow() {
  if (picture_ != nullptr) DeleteObject(picture_);
  if (linkFont_ != nullptr) DeleteObject(linkFont_);
}

void AboutBoxWindow::Run(HWND owner) {
  DialogTemplateBytes bytes(
      WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SHELLFONT, kAboutBoxTitle,
      kAboutBoxWidth, kAboutBoxHeight);
  for (const AboutControlTemplate& control : AboutBoxControls()) {
    DWORD style = WS_CHILD | WS_VISIBLE;
    const wchar_t* windowClass = WC_STATICW;
    std::string text = control.text;
    int id = control.id;
    switch (control.kind) {
      case AboutControlKind::kOkButton:
        windowClass = WC_BUTTONW;
        style |= WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON;
        id = IDOK;
        break;
      case AboutControlKind::kPicture:
        style |= SS_BITMAP | SS_CENTERIMAGE | SS_REALSIZECONTROL;
        text.clear();
        break;
      case AboutControlKind::kLabel:
        style |= AlignmentStyle(control.alignment) | SS_NOPREFIX;
        if (control.id == kVersionLabel) text = kVersionText;
        break;
      case AboutControlKind::kLink:
        style |= AlignmentStyle(control.alignment) | SS_NOPREFIX | SS_NOTIFY;
        break;
      case AboutControlKind::kNoticeEditor:
        windowClass = WC_EDITW;
        style |= WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY;
        text = LegalNotice();
        break;
    }
    bytes.AddControl(id, windowClass, text, style, 0, control.rect);
  }
  DialogBoxIndirectParamW(GetModuleHandleW(nullptr), bytes.Template(), owner,
                          &AboutBoxWindow::DialogProcedure, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK AboutBoxWindow::DialogProcedure(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<AboutBoxWindow*>(lParam);
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    self->window_ = window;
    self->OnInitDialog();
    return TRUE;
  }
  auto* self = reinterpret_cast<AboutBoxWindow*>(GetWindowLongPtrW(window, DWLP_USER));
  return self == nullptr ? FALSE : self->Handle(message, wParam, lParam);
}

void AboutBoxWindow::OnInitDialog() {
  picture_ = BitmapOverColour(AboutPicture(), GetSysColor(COLOR_3DFACE));
  for (const AboutControlTemplate& control : AboutBoxControls()) {
    if (control.kind == AboutControlKind::kPicture)
      SendDlgItemMessageW(window_, control.id, STM_SETIMAGE, IMAGE_BITMAP,
                          reinterpret_cast<LPARAM>(picture_));
  }
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window_, WM_GETFONT, 0, 0)), sizeof(font), &font);
  font.lfUnderline = TRUE;
  linkFont_ = CreateFontIndirectW(&font);
  for (const AboutControlTemplate& control : AboutBoxControls())
    if (control.kind == AboutControlKind::kLink)
      SendDlgItemMessageW(window_, control.id, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_),
                          FALSE);
}

INT_PTR AboutBoxWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(window_, IDOK);
        return TRUE;
      }
      if (HIWORD(wParam) == STN_CLICKED) {
        const DWORD where = GetMessagePos();
        const int link =
            LinkAt(POINT{static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where))});
        if (link == LOWORD(wParam)) {
          const AboutControlTemplate* control = FindAboutControl(link);
          if (control != nullptr) opener_.Open(LinkAddress(control->text));
        }
        return TRUE;
      }
      return FALSE;
    case WM_CTLCOLORSTATIC: {
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
      const AboutControlTemplate* control = FindAboutControl(id);
      if (control == nullptr || control->kind != AboutControlKind::kLink) return FALSE;
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, kLinkColour);
      SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_3DFACE));
    }
    case WM_SETCURSOR: {
      POINT cursor{};
      GetCursorPos(&cursor);
      if (LinkAt(cursor) == 0) return FALSE;
      SetCursor(LoadCursorW(nullptr, IDC_HAND));
      SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
      return TRUE;
    }
    case WM_HELP:
      return TRUE;  // nothing: the box has no help of its own
    default:
      return FALSE;
  }
}

int AboutBoxWindow::LinkAt(POINT point) const {
  for (const AboutControlTemplate& control : AboutBoxControls()) {
    if (control.kind != AboutControlKind::kLink) continue;
    HWND link = GetDlgItem(window_, control.id);
    if (link == nullptr) continue;
    RECT box{};
    GetClientRect(link, &box);
    POINT inside = point;
    ScreenToClient(link, &inside);
    if (!PtInRect(&box, inside)) continue;
    // The text's own rectangle inside the control, as it is aligned.
    const std::wstring text = WideFromUtf8(control.text);
    HDC dc = GetDC(link);
    HGDIOBJ previous = SelectObject(dc, linkFont_);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, previous);
    ReleaseDC(link, dc);
    int left = 0;
    if (control.alignment == Alignment::kCentre) left = (box.right - size.cx) / 2;
    if (control.alignment == Alignment::kRight) left = box.right - size.cx;
    if (inside.x >= left && inside.x < left + size.cx && inside.y < size.cy) return control.id;
  }
  return 0;
}
