// The main dialog's template. See main_dialog_template.h.
#include "ui/win32/main_dialog_template.h"

#include <commctrl.h>

const wchar_t* ControlClass(ControlKind kind) {
  switch (kind) {
    case ControlKind::kStaticText:
      return WC_STATICW;
    case ControlKind::kReadOnlyEdit:
      return WC_EDITW;
    case ControlKind::kListView:
      return WC_LISTVIEWW;
    case ControlKind::kProgressBar:
      return PROGRESS_CLASSW;
    case ControlKind::kDropDownList:
      return WC_COMBOBOXW;
    case ControlKind::kUpDown:
      return UPDOWN_CLASSW;
    default:
      return WC_BUTTONW;
  }
}

DWORD ControlStyle(const ControlTemplate& control) {
  DWORD style = WS_CHILD | WS_VISIBLE;
  // Every control but a radio button inside its group starts a group, so
  // that the arrow keys move only between the radio buttons of one group.
  if (control.kind != ControlKind::kRadioButton || control.startsGroup) style |= WS_GROUP;
  if (control.startsDisabled) style |= WS_DISABLED;
  switch (control.kind) {
    case ControlKind::kStaticText:
      style |= SS_LEFT | SS_NOPREFIX;
      if (control.id == kStatusLine) style |= SS_LEFTNOWORDWRAP | SS_PATHELLIPSIS;
      break;
    case ControlKind::kReadOnlyEdit:
      style |= WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_READONLY;
      break;
    case ControlKind::kPushButton:
      style |= WS_TABSTOP | BS_PUSHBUTTON;
      break;
    case ControlKind::kFlatPushButton:
      style |= WS_TABSTOP | BS_PUSHBUTTON | BS_FLAT;
      break;
    case ControlKind::kListView:
      style |= WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS |
               LVS_SHAREIMAGELISTS;
      break;
    case ControlKind::kRadioButton:
      style |= BS_AUTORADIOBUTTON;
      if (control.startsGroup) style |= WS_TABSTOP;
      break;
    case ControlKind::kCheckBox:
      style |= WS_TABSTOP | BS_AUTOCHECKBOX;
      break;
    case ControlKind::kProgressBar:
      style |= WS_BORDER | PBS_SMOOTH;
      break;
    case ControlKind::kDropDownList:
      style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
      break;
    case ControlKind::kUpDown:
      style |= UDS_ARROWKEYS | UDS_HOTTRACK;
      break;
  }
  return style;
}

int UpDownBuddy(int upDown) {
  switch (upDown) {
    case kMinTempoUpDown:
      return kMinTempoValue;
    case kMaxTempoUpDown:
      return kMaxTempoValue;
    default:
      return kDecimalPlacesValue;
  }
}

DialogTemplateBytes MainDialogTemplate() {
  DialogTemplateBytes bytes(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
                                WS_MAXIMIZEBOX | WS_CLIPCHILDREN | DS_CENTER | DS_SHELLFONT,
                            kMainDialogTitle, kMainDialogWidth, kMainDialogHeight);
  for (const ControlTemplate& control : MainDialogControls()) {
    DialogRect rect = control.rect;
    if (control.kind == ControlKind::kDropDownList) rect.height += kDriveListDrop;
    DWORD style = ControlStyle(control);
    DWORD extended = 0;
    if (control.kind == ControlKind::kListView) {
      // The list's sunken edge is the client edge, not a flat border.
      style &= ~static_cast<DWORD>(WS_BORDER);
      extended = WS_EX_CLIENTEDGE;
    }
    bytes.AddControl(control.id == kPromptText ? -1 : control.id, ControlClass(control.kind),
                     control.text, style, extended, rect);
  }
  return bytes;
}
