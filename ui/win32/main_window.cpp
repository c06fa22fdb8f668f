// The main window on Windows. See main_window.h.
#include "ui/win32/main_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "engine/analysis_job.h"
#include "platform/win32/wide_text.h"
#include "ui/dialog_template.h"
#include "ui/display_text.h"
#include "ui/win32/about_box_window.h"
#include "ui/win32/main_dialog_template.h"
#include "ui/win32/resource_ids.h"

namespace {

// The timers of the dialog window.
constexpr UINT_PTR kTapSeriesTimer = 1;
constexpr UINT_PTR kListingTimer = 2;
// Milliseconds between two updates of the count of files found.
constexpr UINT kListingProgressInterval = 150;
// Posted to read the list's selection once the control has finished with
// a click or key.
constexpr UINT kReadSelectionMessage = WM_APP + 1;
// The system menu's "About Tempyra..." item (the low four bits are the
// system's).
constexpr UINT kAboutSystemCommand = 0x0010;
// The list's smallest height, in lines of its font: its header and three
// rows with their spacing.
constexpr int kListMinimumLines = 6;

std::wstring Wide(const std::string& text) {
  return WideFromUtf8(DisplayText(text));
}

// The process's current folder, where the help documents are looked for
// first.
std::string CurrentFolder() {
  std::wstring folder(MAX_PATH, L'\0');
  DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
  if (length >= folder.size()) {
    folder.resize(length);
    length = GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
  }
  if (length == 0 || length >= folder.size()) return ".";
  folder.resize(length);
  return Utf8FromWide(folder);
}

}  // namespace

MainWindow::MainWindow(std::optional<std::string> folder)
    : folder_(std::move(folder)),
      modal_([this] { Render(); }),
      services_(*this, CurrentFolder(), {}),
      dialog_(services_.ForDialog(ViewServices{*this, modal_, modal_, modal_, *this, opener_})),
      renderer_(*this),
      follower_(services_.Clock()),
      list_(dialog_) {}

MainWindow::~MainWindow() {
  services_.StopWorkers();
  if (bigIcon_ != nullptr) DestroyIcon(bigIcon_);
  if (smallIcon_ != nullptr) DestroyIcon(smallIcon_);
}

int MainWindow::Run() {
  const DialogTemplateBytes bytes = MainDialogTemplate();
  const INT_PTR result =
      DialogBoxIndirectParamW(GetModuleHandleW(nullptr), bytes.Template(), nullptr,
                              &MainWindow::DialogProcedure, reinterpret_cast<LPARAM>(this));
  return result == -1 ? -1 : 0;
}

INT_PTR CALLBACK MainWindow::DialogProcedure(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<MainWindow*>(lParam);
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    self->window_ = window;
    self->OnInitDialog();
    return TRUE;
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, DWLP_USER));
  if (self == nullptr) return FALSE;
  return self->Handle(message, wParam, lParam);
}

void MainWindow::OnInitDialog() {
  modal_.SetOwner(window_);
  opener_.SetOwner(window_);
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  bigIcon_ =
      static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(TEMPYRA_ICON), IMAGE_ICON,
                                    GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
  smallIcon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(TEMPYRA_ICON), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), 0));
  SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
  SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
  MakeMenus();
  list_.Attach(GetDlgItem(window_, kTrackListView));
  // The up-downs only report steps: the logic keeps each position and its
  // range and writes the value into the buddy. Their own position stays in
  // the middle of a rising range, so that the up arrow always steps +1.
  for (const int upDown : {kMinTempoUpDown, kMaxTempoUpDown, kDecimalPlacesUpDown}) {
    SendDlgItemMessageW(window_, upDown, UDM_SETBUDDY,
                        reinterpret_cast<WPARAM>(GetDlgItem(window_, UpDownBuddy(upDown))), 0);
    SendDlgItemMessageW(window_, upDown, UDM_SETRANGE32, 0, 1000);
    SendDlgItemMessageW(window_, upDown, UDM_SETPOS32, 0, 500);
  }

  dialog_.OnInitDialog();
  if (folder_) dialog_.ListFolder(*folder_);
  Render();
  // A font whose texts run wider than the template allows widens the
  // dialog: the window grows to the designed size at that scale.
  MeasureTexts();
  const PixelSize designed = DesignedClientSize(Scale());
  RECT client{};
  GetClientRect(window_, &client);
  if (designed.width > client.right) {
    RECT frame{0, 0, designed.width, client.bottom};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE)),
                       menu_ != nullptr,
                       static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE)));
    SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  LayOut();
}

void MainWindow::MakeMenus() {
  menu_ = CreateMenu();
  for (const MenuTemplate& menu : MainMenuBar()) {
    HMENU items = CreatePopupMenu();
    for (const MenuItemTemplate& item : menu.items) {
      if (item.command != 0 && !dialog_.State().MenuShown(item.command)) continue;
      if (item.command == 0) {
        AppendMenuW(items, MF_SEPARATOR, 0, nullptr);
      } else {
        std::wstring text = WideFromUtf8(item.text);
        if (item.command == kHelpCommand) text += L"\tF1";
        AppendMenuW(items, MF_STRING, static_cast<UINT_PTR>(item.command), text.c_str());
      }
    }
    AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(items),
                WideFromUtf8(menu.title).c_str());
  }
  SetMenu(window_, menu_);
  // "About Tempyra..." in the window's system menu too.
  HMENU system = GetSystemMenu(window_, FALSE);
  if (system != nullptr) {
    AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(system, MF_STRING, kAboutSystemCommand, L"&About Tempyra...");
  }
}

DialogScale MainWindow::Scale() const {
  // Four dialog units across are the font's average character width,
  // eight down its height.
  RECT unit{0, 0, 4, 8};
  MapDialogRect(window_, &unit);
  const DialogScale scale = DialogScale::FromFont(unit.right, unit.bottom);
  // Texts measured in the font of another scale say nothing here.
  if (unit.right != measuredUnit_) return scale;
  return WidenedToFit(scale, neededWidths_);
}

void MainWindow::MeasureTexts() {
  RECT unit{0, 0, 4, 8};
  MapDialogRect(window_, &unit);
  measuredUnit_ = unit.right;
  neededWidths_.clear();
  HDC dc = GetDC(window_);
  HGDIOBJ previous =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(window_, WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  // A check box's or radio button's box and the gap to its text; a push
  // button's edges on both sides.
  const int box = GetSystemMetrics(SM_CXMENUCHECK) + metrics.tmAveCharWidth;
  const int edges = 4 * GetSystemMetrics(SM_CXEDGE) + metrics.tmAveCharWidth;
  for (const ControlTemplate& control : MainDialogControls()) {
    // The set-BPM button's widest text is a corrected proposal.
    const std::wstring text =
        WideFromUtf8(control.id == kSetBpmButton ? "Set BPM = *000.00*" : control.text);
    if (text.empty() || control.id == kStatusLine) continue;
    int extra = 0;
    switch (control.kind) {
      case ControlKind::kStaticText:
        break;
      case ControlKind::kCheckBox:
      case ControlKind::kRadioButton:
        extra = box;
        break;
      case ControlKind::kPushButton:
      case ControlKind::kFlatPushButton:
        extra = edges;
        break;
      default:
        continue;
    }
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    neededWidths_[control.id] = size.cx + extra;
  }
  SelectObject(dc, previous);
  ReleaseDC(window_, dc);
}

void MainWindow::LayOut() {
  RECT client{};
  GetClientRect(window_, &client);
  if (client.right <= 0 || client.bottom <= 0) return;  // minimised
  // The dialog's font changed (the window moved to a screen of another
  // scale): its texts are measured again.
  RECT unit{0, 0, 4, 8};
  MapDialogRect(window_, &unit);
  if (measuredUnit_ != 0 && unit.right != measuredUnit_) MeasureTexts();
  const DialogScale scale = Scale();
  const std::vector<ControlPlacement> placements =
      LayOutMainDialog(client.right, client.bottom, scale);
  HDWP positions = BeginDeferWindowPos(static_cast<int>(placements.size()));
  for (const ControlPlacement& placement : placements) {
    const ControlTemplate* control = FindControlTemplate(placement.id);
    HWND child = GetDlgItem(window_, placement.id);
    if (control == nullptr || child == nullptr) continue;
    PixelRect rect = placement.rect;
    if (control->centredVertically) {
      // A one-line text in the middle of its rectangle.
      const int height = static_cast<int>(8 * scale.down * kReferenceUnitDown + 0.5);
      rect.y += (rect.height - height) / 2;
      rect.height = height;
    }
    if (control->kind == ControlKind::kDropDownList)
      rect.height += static_cast<int>(kDriveListDrop * scale.down * kReferenceUnitDown);
    if (positions != nullptr)
      positions = DeferWindowPos(positions, child, nullptr, rect.x, rect.y, rect.width, rect.height,
                                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (positions != nullptr) EndDeferWindowPos(positions);
  // The dialog and every control drawn again where they are now: the
  // dialog's background is painted over the controls' old places.
  RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void MainWindow::LimitSize(MINMAXINFO& limits) const {
  if (window_ == nullptr) return;
  const DialogScale scale = Scale();
  const int line = static_cast<int>(8 * scale.down * kReferenceUnitDown + 0.5);
  const PixelSize smallest = MinimumClientSize(scale, {}, kListMinimumLines * line);
  RECT frame{0, 0, smallest.width, smallest.height};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE)),
                     menu_ != nullptr, static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE)));
  limits.ptMinTrackSize.x = frame.right - frame.left;
  limits.ptMinTrackSize.y = frame.bottom - frame.top;
}

INT_PTR MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case AnalysisJob::kAnalysisDone:
    case AnalysisJob::kAnalysisFailed:
      // 1026 is also the dialog manager's DM_REPOSITION: without the
      // worker's mark the message is not a result, and gets the system's
      // handling.
      if (wParam != AnalysisJob::kLastMessageMark) return FALSE;
      Forward([&] { dialog_.OnAnalysisMessage(message, wParam, lParam); });
      return TRUE;
    case AnalysisJob::kAnalysisProgress:
      // 1025 is also DM_SETDEFID. The dialog has no default push button
      // and never asks for one, so the message is taken as progress either
      // way; the logic ignores progress outside a run, and progress only
      // moves the bar.
    case AnalysisSlots::kSlotMessage:
      Forward([&] { dialog_.OnAnalysisMessage(message, wParam, lParam); });
      return TRUE;
    case BackgroundFolderScan::kFolderScanned:
      if (!ended_) OnFolderScanned(wParam);
      return TRUE;
    case BackgroundTagRead::kTagsRead:
      Forward([&] { dialog_.OnTagsRead(services_.TagRead().TakeResults()); });
      return TRUE;
    case kReadSelectionMessage:
      selectionReadPosted_ = false;
      Forward([&] { list_.ReadSelection(); });
      return TRUE;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (!OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result)) return FALSE;
      SetWindowLongPtrW(window_, DWLP_MSGRESULT, result);
      return TRUE;
    }
    case WM_TIMER:
      if (wParam == kTapSeriesTimer)
        Forward([&] { dialog_.OnTimer(); });
      else if (wParam == kListingTimer)
        Forward([&] { dialog_.OnListingProgress(services_.FolderScan().Found()); });
      return TRUE;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) != list_.Handle()) return FALSE;
      ShowRowMenu(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return TRUE;
    case WM_HELP:
      Forward([&] { dialog_.OnHelpRequest(); });
      return TRUE;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == kAboutSystemCommand) {
        Forward([&] { dialog_.OnCommand(kAboutCommand); });
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      Forward([&] { dialog_.OnCommand(kCancelCommand); });
      return TRUE;
    case WM_SIZE:
      LayOut();
      return TRUE;
    case WM_DPICHANGED:
      // The row images for the new scale; the dialog manager scales the
      // dialog's font and size, and the layout follows in WM_SIZE.
      list_.MakeRowImages(HIWORD(wParam));
      return FALSE;
    case WM_GETMINMAXINFO:
      LimitSize(*reinterpret_cast<MINMAXINFO*>(lParam));
      return TRUE;
    case WM_SETCURSOR:
      if (busy_ && LOWORD(lParam) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
        SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      return FALSE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(bigIcon_);
    default:
      return FALSE;
  }
}

void MainWindow::OnCommand(int id, int code) {
  if (ended_) return;
  const ControlTemplate* control = FindControlTemplate(id);
  if (control == nullptr) {
    // A menu item, or IDOK / IDCANCEL from Enter and Escape.
    if (code == 0 || code == 1 || id == kOkCommand || id == kCancelCommand)
      Forward([&] { dialog_.OnCommand(id); });
    return;
  }
  switch (control->kind) {
    case ControlKind::kPushButton:
    case ControlKind::kFlatPushButton:
      if (code == BN_CLICKED) Forward([&] { dialog_.OnCommand(id); });
      break;
    case ControlKind::kCheckBox:
      if (code == BN_CLICKED)
        Forward(
            [&] { dialog_.OnCheckBoxClicked(id, IsDlgButtonChecked(window_, id) == BST_CHECKED); });
      break;
    case ControlKind::kRadioButton:
      if (code == BN_CLICKED) Forward([&] { dialog_.OnRadioButtonClicked(id); });
      break;
    case ControlKind::kDropDownList:
      if (code == CBN_SELCHANGE) {
        const int entry = static_cast<int>(SendDlgItemMessageW(window_, id, CB_GETCURSEL, 0, 0));
        Forward([&] { dialog_.OnDriveChosen(entry); });
      }
      break;
    default:
      break;
  }
}

bool MainWindow::OnNotify(const NMHDR& header, LRESULT& result) {
  if (ended_) return false;
  const int id = static_cast<int>(header.idFrom);
  if (id == kTrackListView) {
    switch (header.code) {
      case LVN_GETDISPINFOW:
        list_.GetDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header)));
        return true;
      case LVN_ITEMCHANGED:
      case LVN_ODSTATECHANGED:
        // Read once the control has finished with the click or key.
        if (!list_.Rendering() && !selectionReadPosted_) {
          selectionReadPosted_ = true;
          PostMessageW(window_, kReadSelectionMessage, 0, 0);
        }
        return true;
      case LVN_ITEMACTIVATE: {
        const int row = reinterpret_cast<const NMITEMACTIVATE&>(header).iItem;
        if (row >= 0) Forward([&] { dialog_.OnRowActivated(row); });
        return true;
      }
      case LVN_BEGINSCROLL:
        if (!following_) follower_.UserScrolled();
        return true;
      case LVN_KEYDOWN:
        switch (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey) {
          case VK_UP:
          case VK_DOWN:
          case VK_PRIOR:
          case VK_NEXT:
          case VK_HOME:
          case VK_END:
            follower_.UserScrolled();
            break;
          default:
            break;
        }
        return true;
      default:
        return false;
    }
  }
  if (header.code == UDN_DELTAPOS) {
    const int delta = reinterpret_cast<const NMUPDOWN&>(header).iDelta;
    if (delta != 0) Forward([&] { dialog_.OnUpDownStep(id, delta > 0 ? 1 : -1); });
    // The logic keeps the position and writes it to the buddy.
    result = TRUE;
    return true;
  }
  return false;
}

void MainWindow::Render() {
  if (window_ == nullptr || ended_) return;
  renderer_.Render(dialog_.State());
  list_.Render();
  const int follow = follower_.RowToShow(dialog_.CurrentRow(), dialog_.AnalysisRunning());
  if (follow >= 0 && follow < ListView_GetItemCount(list_.Handle())) {
    // Our own scroll, not the user's.
    following_ = true;
    ListView_EnsureVisible(list_.Handle(), follow, FALSE);
    following_ = false;
  }
}

void MainWindow::ShowText(const ControlTemplate& control, const std::string& text) {
  SetDlgItemTextW(window_, control.id, Wide(text).c_str());
}

void MainWindow::ShowChecked(const ControlTemplate& control, bool checked) {
  CheckDlgButton(window_, control.id, checked ? BST_CHECKED : BST_UNCHECKED);
}

// A disabled control cannot keep the keyboard focus: it moves to the list
// first, so that the keys still reach the dialog.
void MainWindow::ShowEnabled(const ControlTemplate& control, bool enabled) {
  HWND child = GetDlgItem(window_, control.id);
  if (!enabled && GetFocus() == child)
    SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list_.Handle()), TRUE);
  EnableWindow(child, enabled);
}

void MainWindow::ShowProgress(int position, int upper) {
  SendDlgItemMessageW(window_, kProgressBar, PBM_SETRANGE32, 0, std::max(upper, 1));
  SendDlgItemMessageW(window_, kProgressBar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void MainWindow::ShowDriveNames(const std::vector<std::string>& names) {
  SendDlgItemMessageW(window_, kDriveBox, CB_RESETCONTENT, 0, 0);
  for (const std::string& name : names)
    SendDlgItemMessageW(window_, kDriveBox, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(Wide(name).c_str()));
}

void MainWindow::ShowDriveSelection(int selection) {
  SendDlgItemMessageW(window_, kDriveBox, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
}

void MainWindow::ShowMenuEnabled(int command, bool enabled) {
  EnableMenuItem(menu_, static_cast<UINT>(command),
                 MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void MainWindow::ShowMenuChecked(int command, bool checked) {
  CheckMenuItem(menu_, static_cast<UINT>(command),
                MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void MainWindow::Start(uint32_t milliseconds) {
  SetTimer(window_, kTapSeriesTimer, milliseconds, nullptr);
}

void MainWindow::Stop() {
  if (window_ != nullptr) KillTimer(window_, kTapSeriesTimer);
}

void MainWindow::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  PostMessageW(window_, message, wParam, lParam);
}

void MainWindow::EndDialog() {
  if (ended_) return;
  ended_ = true;
  services_.StopWorkers();
  EndListing();
  Stop();
  ::EndDialog(window_, 0);
}

void MainWindow::FitColumnToContents(int column) {
  list_.FitColumn(column);
}

void MainWindow::ShowAboutBox() {
  Render();
  AboutBoxWindow box(opener_);
  box.Run(window_);
}

bool MainWindow::ListInBackground(const std::string& folder, AudioFormats formats) {
  services_.FolderScan().Start(folder, formats);
  SetTimer(window_, kListingTimer, kListingProgressInterval, nullptr);
  busy_ = true;
  SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
  return true;
}

bool MainWindow::ReadTagsInBackground(const TagReadRequest& request) {
  services_.TagRead().Start(request);
  return true;
}

void MainWindow::ShowRowMenu(POINT where) {
  if (ended_) return;
  const int row = list_.RowAt(where, where.x == -1 && where.y == -1);
  if (row < 0) return;  // not on a row
  // The user's last clicks first, then the menu's own change of selection
  // drawn before the menu opens.
  list_.ReadSelection();
  std::vector<RowMenuItem> items;
  Forward([&] { items = dialog_.RowMenu(row); });
  if (items.empty() || ended_) return;
  HMENU menu = CreatePopupMenu();
  for (size_t i = 0; i < items.size(); ++i)
    AppendMenuW(menu, MF_STRING | (items[i].enabled ? MF_ENABLED : MF_GRAYED), i + 1,
                Wide(items[i].label).c_str());
  const auto chosen = static_cast<size_t>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, where.x,
                     where.y, 0, window_, nullptr));
  DestroyMenu(menu);
  if (chosen < 1 || chosen > items.size()) return;
  Forward([&] { dialog_.OnRowMenuChosen(items[chosen - 1].fix); });
}

void MainWindow::OnFolderScanned(uintptr_t scan) {
  std::optional<std::vector<std::string>> paths = services_.FolderScan().TakeResult(scan);
  if (!paths) return;  // a scan replaced meanwhile
  EndListing();
  Forward([&] { dialog_.FinishListing(std::move(*paths)); });
}

// Stops a walk that still runs, the count and the busy cursor.
void MainWindow::EndListing() {
  services_.FolderScan().Cancel();
  KillTimer(window_, kListingTimer);
  if (busy_) {
    busy_ = false;
    POINT cursor{};
    GetCursorPos(&cursor);
    SetCursorPos(cursor.x, cursor.y);  // the cursor of what is under it again
  }
}
