// The main dialog as the dialog manager makes it from the template built in
// memory: every control of the table exists under its id, of the window
// class its kind calls for, at the table's rectangle in dialog units, with
// its text, and with the styles the logic relies on (a virtual report list
// with multiple selection, radio groups, the disabled buttons).
#include "ui/win32/main_dialog_template.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/wide_text.h"

namespace {

INT_PTR CALLBACK PassiveProcedure(HWND, UINT, WPARAM, LPARAM) {
  return FALSE;
}

// The registered class names of the system's controls.
std::wstring ExpectedClass(ControlKind kind) {
  switch (kind) {
    case ControlKind::kStaticText:
      return L"Static";
    case ControlKind::kReadOnlyEdit:
      return L"Edit";
    case ControlKind::kListView:
      return L"SysListView32";
    case ControlKind::kProgressBar:
      return L"msctls_progress32";
    case ControlKind::kDropDownList:
      return L"ComboBox";
    case ControlKind::kUpDown:
      return L"msctls_updown32";
    default:
      return L"Button";
  }
}

class MainDialogTemplateTest : public testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES |
                                                        ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS};
    ASSERT_TRUE(InitCommonControlsEx(&controls));
    dialog_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), bytes_.Template(), nullptr,
                                         &PassiveProcedure, 0);
    ASSERT_NE(dialog_, nullptr) << GetLastError();
  }
  void TearDown() override {
    if (dialog_ != nullptr) DestroyWindow(dialog_);
  }

  // As the dialog manager places a control: its corner and its size, each
  // converted on its own.
  RECT InPixels(const DialogRect& rect) const {
    RECT corner{rect.x, rect.y, rect.x, rect.y};
    RECT size{0, 0, rect.width, rect.height};
    MapDialogRect(dialog_, &corner);
    MapDialogRect(dialog_, &size);
    return RECT{corner.left, corner.top, corner.left + size.right, corner.top + size.bottom};
  }

  const DialogTemplateBytes bytes_ = MainDialogTemplate();
  HWND dialog_ = nullptr;
};

TEST_F(MainDialogTemplateTest, EveryControlHasItsClassRectangleAndText) {
  int made = 0;
  for (const ControlTemplate& control : MainDialogControls()) {
    if (control.id == kPromptText) continue;
    SCOPED_TRACE(control.id);
    HWND child = GetDlgItem(dialog_, control.id);
    ASSERT_NE(child, nullptr);
    ++made;
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    EXPECT_EQ(_wcsicmp(name, ExpectedClass(control.kind).c_str()), 0) << Utf8FromWide(name);

    RECT placed{};
    GetWindowRect(child, &placed);
    MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&placed), 2);
    const RECT wanted = InPixels(control.rect);
    EXPECT_EQ(placed.left, wanted.left);
    EXPECT_EQ(placed.top, wanted.top);
    EXPECT_EQ(placed.right, wanted.right);
    // A drop-down list's window is as tall as its list dropped.
    if (control.kind != ControlKind::kDropDownList) {
      EXPECT_EQ(placed.bottom, wanted.bottom);
    }

    if (control.kind != ControlKind::kListView && control.kind != ControlKind::kProgressBar &&
        control.kind != ControlKind::kDropDownList && control.kind != ControlKind::kUpDown) {
      wchar_t text[256] = {};
      GetWindowTextW(child, text, 256);
      EXPECT_EQ(Utf8FromWide(text), control.text);
    }
    EXPECT_EQ(IsWindowEnabled(child) == FALSE, control.startsDisabled);
  }
  EXPECT_GT(made, 20);

  RECT client{};
  GetClientRect(dialog_, &client);
  const RECT designed = InPixels({0, 0, kMainDialogWidth, kMainDialogHeight});
  EXPECT_EQ(client.right, designed.right);
  EXPECT_EQ(client.bottom, designed.bottom);
}

TEST_F(MainDialogTemplateTest, StylesTheLogicReliesOn) {
  const auto style = [&](int id) {
    return static_cast<DWORD>(GetWindowLongPtrW(GetDlgItem(dialog_, id), GWL_STYLE));
  };
  const DWORD list = style(kTrackListView);
  EXPECT_NE(list & LVS_OWNERDATA, 0u);
  EXPECT_EQ(list & LVS_TYPEMASK, static_cast<DWORD>(LVS_REPORT));
  EXPECT_EQ(list & LVS_SINGLESEL, 0u);
  // Two groups of radio buttons, each started by its first button; the
  // logic writes the up-downs' values into their texts itself.
  for (const ControlTemplate& control : MainDialogControls()) {
    if (control.kind == ControlKind::kRadioButton) {
      EXPECT_EQ((style(control.id) & WS_GROUP) != 0, control.startsGroup) << control.id;
      EXPECT_EQ(style(control.id) & BS_TYPEMASK, static_cast<DWORD>(BS_AUTORADIOBUTTON));
    }
    if (control.kind == ControlKind::kUpDown) {
      EXPECT_EQ(style(control.id) & UDS_SETBUDDYINT, 0u) << control.id;
    }
  }
  EXPECT_EQ(style(kDriveBox) & 0x3, static_cast<DWORD>(CBS_DROPDOWNLIST));
  EXPECT_EQ(style(kMinTempoBox) & BS_TYPEMASK, static_cast<DWORD>(BS_AUTOCHECKBOX));
}

}  // namespace
