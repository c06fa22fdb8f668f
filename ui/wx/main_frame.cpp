// The main window in wxWidgets. See main_frame.h.
#include "ui/wx/main_frame.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/gauge.h>
#include <wx/menu.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "engine/analysis_job.h"
#include "ui/dialog_template.h"
#include "ui/display_text.h"
#include "ui/tap_tempo.h"
#include "ui/wx/about_dialog.h"
#include "ui/wx/command_ids.h"
#include "ui/wx/picture_bitmaps.h"
#include "ui/wx/track_list_view.h"
#include "ui/wx/up_down_button.h"

namespace {

wxDEFINE_EVENT(kAnalysisMessageEvent, wxThreadEvent);

// The list's smallest height, in lines of its font: its header and three
// rows with their spacing.
constexpr int kListMinimumLines = 6;

// Milliseconds between two updates of the count of files found.
constexpr int kListingProgressInterval = 150;

struct AnalysisMessage {
  uint32_t message;
  uintptr_t wParam;
  intptr_t lParam;
};

// Every text the window shows, paths included: bytes that are not UTF-8
// show as replacement characters instead of an empty text.
wxString FromUtf8(const std::string& text) {
  return wxString::FromUTF8(DisplayText(text));
}

std::string CurrentFolder() {
  const wxString folder = wxGetCwd();
  return std::string(folder.utf8_str());
}

}  // namespace

MainFrame::MainFrame(const std::optional<std::string>& folder,
                     const FrameServiceOverrides& overrides)
    : wxFrame(nullptr, wxID_ANY, kMainDialogTitle),
      modal_(this, [this] { Render(); }),
      timer_([this] { OnTapSeriesTimer(); }),
      services_(*this, CurrentFolder(), overrides),
      opener_(services_.Opener(launcher_)),
      dialog_(services_.ForDialog(ViewServices{*this, modal_, modal_, modal_, timer_, launcher_})),
      renderer_(*this),
      follower_(services_.Clock()) {
  SetIcons(ApplicationIcons());
  panel_ = new wxPanel(this, wxID_ANY);
  scale_ = DialogScale::FromFont(panel_->GetCharWidth(), panel_->GetCharHeight());
  CreateControls();
  listView_->SetUserScrollHandler([this] {
    if (!following_) follower_.UserScrolled();
  });
  CreateMenus();
  MeasureMinimumSizes();

  dialog_.OnInitDialog();
  if (folder) dialog_.ListFolder(*folder);
  Render();

  const PixelSize designed = DesignedClientSize(scale_);
  SetClientSize(designed.width, designed.height);
  // Below this size controls would overlap and the list vanish. The list
  // keeps room for its header and three rows.
  const PixelSize smallest =
      MinimumClientSize(scale_, minimumSizes_, kListMinimumLines * listView_->GetCharHeight());
  SetMinClientSize(wxSize(smallest.width, smallest.height));
  LayOut();
  Centre();

  panel_->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    LayOut();
    event.Skip();
  });
  Bind(wxEVT_BUTTON, &MainFrame::OnCommandEvent, this);
  Bind(wxEVT_MENU, &MainFrame::OnMenuEvent, this);
  Bind(wxEVT_CHECKBOX, [this](wxCommandEvent& event) {
    Forward([&] { dialog_.OnCheckBoxClicked(event.GetId(), event.IsChecked()); });
  });
  Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent& event) {
    Forward([&] { dialog_.OnRadioButtonClicked(event.GetId()); });
  });
  Bind(kUpDownStep, [this](wxCommandEvent& event) {
    Forward([&] { dialog_.OnUpDownStep(event.GetId(), event.GetInt()); });
  });
  Bind(wxEVT_CHOICE, [this](wxCommandEvent& event) {
    Forward([&] { dialog_.OnDriveChosen(event.GetSelection()); });
  });
  Bind(wxEVT_CHAR_HOOK, &MainFrame::OnCharHook, this);
  // While a menu is open its keys are its own: Escape closes it.
  Bind(wxEVT_MENU_OPEN, [this](wxMenuEvent& event) {
    ++openMenus_;
    event.Skip();
  });
  Bind(wxEVT_MENU_CLOSE, [this](wxMenuEvent& event) {
    if (openMenus_ > 0) --openMenus_;
    event.Skip();
  });
  Bind(wxEVT_CLOSE_WINDOW, &MainFrame::OnClose, this);
  Bind(kAnalysisMessageEvent, &MainFrame::OnAnalysisEvent, this);
  listingTimer_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
    if (!ended_) Forward([&] { dialog_.OnListingProgress(services_.FolderScan().Found()); });
  });
}

MainFrame::~MainFrame() {
  // The worker first (it posts here), then the controls, which read the
  // logic's rows and so must go before it.
  services_.StopWorkers();
  EndListing();
  timer_.Stop();
  DestroyChildren();
}

wxWindow* MainFrame::Control(int id) const {
  const auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second;
}

void MainFrame::CreateControls() {
  for (const ControlTemplate& control : MainDialogControls()) {
    // Made at their natural size: a size given here would become the GTK
    // widget's smallest size, and the layout could not shrink it. LayOut
    // places and sizes them.
    const wxPoint position = wxDefaultPosition;
    const wxSize size = wxDefaultSize;
    const wxWindowID id = control.id == kPromptText ? wxID_ANY : control.id;
    const wxString text = FromUtf8(control.text);
    wxWindow* window = nullptr;
    switch (control.kind) {
      case ControlKind::kStaticText: {
        long style = wxST_NO_AUTORESIZE;
        if (control.id == kStatusLine) style |= wxST_ELLIPSIZE_MIDDLE;
        window = new wxStaticText(panel_, id, text, position, size, style);
        break;
      }
      case ControlKind::kReadOnlyEdit:
        window = new wxTextCtrl(panel_, id, text, position, size, wxTE_READONLY);
        break;
      case ControlKind::kPushButton:
      case ControlKind::kFlatPushButton:
        window = new wxButton(panel_, id, text, position, size, wxBU_EXACTFIT);
        break;
      case ControlKind::kListView:
        listView_ = new TrackListView(panel_, id, dialog_, [this] { Render(); });
        window = listView_;
        break;
      case ControlKind::kRadioButton:
        window = new wxRadioButton(panel_, id, text, position, size,
                                   control.startsGroup ? wxRB_GROUP : 0);
        break;
      case ControlKind::kCheckBox:
        window = new wxCheckBox(panel_, id, text, position, size);
        break;
      case ControlKind::kProgressBar:
        window = new wxGauge(panel_, id, 100, position, size, wxGA_HORIZONTAL | wxGA_SMOOTH);
        break;
      case ControlKind::kDropDownList:
        window = new wxChoice(panel_, id, position, size);
        break;
      case ControlKind::kUpDown:
        window = new UpDownButton(panel_, id, position, size);
        break;
    }
    controls_[control.id] = window;
  }
}

void MainFrame::CreateMenus() {
  auto* bar = new wxMenuBar;
  for (const MenuTemplate& menu : MainMenuBar()) {
    auto* items = new wxMenu;
    for (const MenuItemTemplate& item : menu.items) {
      if (item.command != 0 && !dialog_.State().MenuShown(item.command)) continue;
      if (item.command == 0)
        items->AppendSeparator();
      else if (item.checkable)
        items->AppendCheckItem(WxIdOfCommand(item.command), FromUtf8(item.text));
      else
        items->Append(WxIdOfCommand(item.command), FromUtf8(item.text));
    }
    bar->Append(items, FromUtf8(menu.title));
  }
  SetMenuBar(bar);
}

// What each control needs to show its text whole, on this desktop's theme
// and font; the layout never makes a control smaller. Controls whose size
// the layout rules set from the window (the list, the path, the drive box,
// the progress bar and the status line) only need their height.
void MainFrame::MeasureMinimumSizes() {
  for (const ControlTemplate& control : MainDialogControls()) {
    wxWindow* window = controls_[control.id];
    const wxSize best = window->GetBestSize();
    switch (control.kind) {
      case ControlKind::kListView:
      case ControlKind::kProgressBar:
        break;
      case ControlKind::kReadOnlyEdit:
      case ControlKind::kDropDownList:
        minimumSizes_[control.id] = {0, best.y};
        break;
      case ControlKind::kStaticText:
        if (control.id == kStatusLine)
          minimumSizes_[control.id] = {0, window->GetCharHeight()};
        else
          minimumSizes_[control.id] = {best.x, best.y};
        break;
      default:
        minimumSizes_[control.id] = {best.x, best.y};
        break;
    }
  }
  // The set-BPM button shows longer texts than its first one: room for the
  // longest (a proposal between asterisks).
  wxWindow* setBpm = controls_[kSetBpmButton];
  const wxString first = setBpm->GetLabel();
  setBpm->SetLabel(kWidestSetBpmText);
  const wxSize widest = setBpm->GetBestSize();
  setBpm->SetLabel(first);
  PixelSize& minimum = minimumSizes_[kSetBpmButton];
  minimum.width = std::max(minimum.width, widest.x);
  minimum.height = std::max(minimum.height, widest.y);
}

void MainFrame::LayOut() {
  const wxSize client = panel_->GetClientSize();
  Freeze();
  for (const ControlPlacement& placement :
       LayOutMainDialog(client.x, client.y, scale_, minimumSizes_)) {
    const ControlTemplate* control = FindControlTemplate(placement.id);
    PixelRect rect = placement.rect;
    if (control != nullptr && control->centredVertically) {
      // A one-line text in the middle of its rectangle.
      const int height = controls_[placement.id]->GetBestSize().y;
      rect.y += (rect.height - height) / 2;
      rect.height = height;
    }
    controls_[placement.id]->SetSize(rect.x, rect.y, rect.width, rect.height);
  }
  Thaw();
}

void MainFrame::Render() {
  renderer_.Render(dialog_.State());
  listView_->Render();
  const int follow = follower_.RowToShow(dialog_.CurrentRow(), dialog_.AnalysisRunning());
  if (follow >= 0 && follow < listView_->GetItemCount()) {
    // Our own scroll, not the user's.
    following_ = true;
    listView_->EnsureVisible(follow);
    following_ = false;
  }
}

void MainFrame::ShowText(const ControlTemplate& control, const std::string& text) {
  wxWindow* window = controls_[control.id];
  if (control.kind == ControlKind::kStaticText)
    static_cast<wxStaticText*>(window)->SetLabelText(FromUtf8(text));
  else if (control.kind == ControlKind::kReadOnlyEdit)
    static_cast<wxTextCtrl*>(window)->ChangeValue(FromUtf8(text));
  else
    window->SetLabel(FromUtf8(text));
}

void MainFrame::ShowChecked(const ControlTemplate& control, bool checked) {
  wxWindow* window = controls_[control.id];
  if (control.kind == ControlKind::kRadioButton)
    static_cast<wxRadioButton*>(window)->SetValue(checked);
  else if (control.kind == ControlKind::kCheckBox)
    static_cast<wxCheckBox*>(window)->SetValue(checked);
}

void MainFrame::ShowEnabled(const ControlTemplate& control, bool enabled) {
  EnableKeepingFocus(control.id, controls_[control.id], enabled);
}

void MainFrame::ShowProgress(int position, int upper) {
  auto* gauge = static_cast<wxGauge*>(controls_[kProgressBar]);
  gauge->SetRange(std::max(upper, 1));
  gauge->SetValue(position);
}

void MainFrame::ShowDriveNames(const std::vector<std::string>& names) {
  auto* drives = static_cast<wxChoice*>(controls_[kDriveBox]);
  drives->Clear();
  for (const std::string& name : names) drives->Append(FromUtf8(name));
}

void MainFrame::ShowDriveSelection(int selection) {
  static_cast<wxChoice*>(controls_[kDriveBox])->SetSelection(selection);
}

void MainFrame::ShowMenuEnabled(int command, bool enabled) {
  GetMenuBar()->Enable(WxIdOfCommand(command), enabled);
}

// GTK toggles a check mark on its own when clicked: the state decides.
void MainFrame::ShowMenuChecked(int command, bool checked) {
  wxMenuBar* bar = GetMenuBar();
  if (bar->IsChecked(WxIdOfCommand(command)) != checked)
    bar->Check(WxIdOfCommand(command), checked);
}

// GTK drops the keyboard focus when the focused control is disabled, and
// then no key reaches the window at all. The focus goes to the list
// instead, and back to the control when it is enabled again, unless the
// user has put it elsewhere meanwhile.
void MainFrame::EnableKeepingFocus(int id, wxWindow* window, bool enable) {
  const auto focusIsOn = [](wxWindow* target) {
    for (wxWindow* focus = FindFocus(); focus != nullptr; focus = focus->GetParent())
      if (focus == target) return true;
    return false;
  };
  if (!enable && focusIsOn(window)) {
    listView_->SetFocus();
    focusReturn_ = id;
  }
  window->Enable(enable);
  if (enable && focusReturn_ == id) {
    focusReturn_ = 0;
    if (FindFocus() == nullptr || focusIsOn(listView_)) window->SetFocus();
  }
}

void MainFrame::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  auto* event = new wxThreadEvent(kAnalysisMessageEvent);
  event->SetPayload(AnalysisMessage{message, wParam, lParam});
  wxQueueEvent(this, event);
}

void MainFrame::EndDialog() {
  if (ended_) return;
  ended_ = true;
  services_.StopWorkers();
  EndListing();
  Destroy();
}

void MainFrame::FitColumnToContents(int column) {
  listView_->FitColumn(column);
}

void MainFrame::ShowAboutBox() {
  Render();
  AboutDialog box(this, opener_);
  box.ShowModal();
}

bool MainFrame::ListInBackground(const std::string& folder, AudioFormats formats) {
  services_.FolderScan().Start(folder, formats);
  listingTimer_.Start(kListingProgressInterval);
  if (!busy_) {
    wxBeginBusyCursor();
    busy_ = true;
  }
  return true;
}

bool MainFrame::ReadTagsInBackground(const TagReadRequest& request) {
  services_.TagRead().Start(request);
  return true;
}

void MainFrame::OnFolderScanned(uintptr_t scan) {
  std::optional<std::vector<std::string>> paths = services_.FolderScan().TakeResult(scan);
  if (!paths) return;  // a scan replaced meanwhile
  EndListing();
  Forward([&] { dialog_.FinishListing(std::move(*paths)); });
}

// Stops a walk that still runs, the count and the busy cursor.
void MainFrame::EndListing() {
  services_.FolderScan().Cancel();
  listingTimer_.Stop();
  if (busy_) {
    wxEndBusyCursor();
    busy_ = false;
  }
}

void MainFrame::OnCommandEvent(wxCommandEvent& event) {
  if (ended_) return;
  Forward([&] { dialog_.OnCommand(event.GetId()); });
}

void MainFrame::OnMenuEvent(wxCommandEvent& event) {
  // A chosen item has closed its menus, whether or not the toolkit said so.
  openMenus_ = 0;
  // The toolkit may also have toggled the item's check mark.
  renderer_.ForgetMenuChecks();
  const int command = CommandOfWxId(event.GetId());
  if (command == 0 || ended_) {
    event.Skip();
    return;
  }
  Forward([&] { dialog_.OnCommand(command); });
}

void MainFrame::OnCharHook(wxKeyEvent& event) {
  if (ended_ || openMenus_ > 0 || event.HasAnyModifiers()) {
    event.Skip();
    return;
  }
  const int key = event.GetKeyCode();
  if (key == WXK_F1) {
    Forward([&] { dialog_.OnHelpRequest(); });
    return;
  }
  if (key == WXK_ESCAPE) {
    Forward([&] { dialog_.OnCommand(kCancelCommand); });
    return;
  }
  if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER) &&
      dynamic_cast<wxButton*>(FindFocus()) == nullptr) {
    Forward([&] { dialog_.OnCommand(kOkCommand); });
    return;
  }
  event.Skip();
}

void MainFrame::OnClose(wxCloseEvent& event) {
  if (ended_) {
    event.Skip();
    return;
  }
  Forward([&] { dialog_.OnCommand(kCancelCommand); });
}

void MainFrame::OnAnalysisEvent(wxThreadEvent& event) {
  if (ended_) return;
  const auto message = event.GetPayload<AnalysisMessage>();
  if (message.message == BackgroundFolderScan::kFolderScanned) {
    OnFolderScanned(message.wParam);
    return;
  }
  if (message.message == BackgroundTagRead::kTagsRead) {
    Forward([&] { dialog_.OnTagsRead(services_.TagRead().TakeResults()); });
    return;
  }
  Forward([&] { dialog_.OnAnalysisMessage(message.message, message.wParam, message.lParam); });
}

void MainFrame::OnTapSeriesTimer() {
  if (ended_) return;
  Forward([&] { dialog_.OnTimer(); });
}
