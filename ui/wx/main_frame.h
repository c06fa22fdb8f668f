// MainFrame: the program's main window in wxWidgets, a thin view over the
// MainDialog logic. It makes the controls from the dialog template and the
// menu bar from the menu table, lays them out with the dialog's layout
// rules scaled to the desktop font, forwards every event to the logic and
// then renders the logic's state; it decides nothing itself.
//
// It owns, for its whole life, the analysis (whose worker posts here: Post
// queues the message onto the event loop, so the logic handles it on the
// window thread) and the logic. A wx dialog has no menu bar, so the window
// is a frame that behaves as the dialog: Escape, Enter while no push button
// has the focus, and the close box end it. Ending it stops a running
// analysis; messages still queued are dropped with the window.
//
// A folder is listed on a worker (BackgroundFolderScan): the window shows
// at once, with a busy cursor and the count of files found so far in the
// status line, and the list is filled once when the walk is over.
#pragma once

#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/timer.h>

#include <map>
#include <optional>
#include <string>

#include "platform/message_target.h"
#include "ui/dialog_layout.h"
#include "ui/dialog_renderer.h"
#include "ui/dialog_state.h"
#include "ui/dialog_view.h"
#include "ui/dialog_window.h"
#include "ui/main_dialog.h"
#include "ui/row_follower.h"
#include "ui/window_services.h"
#include "ui/wx/desktop_launcher.h"
#include "ui/wx/modal_services.h"
#include "ui/wx/tap_series_timer.h"

class TrackListView;

// Services a test of the real window may put in place of the window's own.
using FrameServiceOverrides = ServiceOverrides;

class MainFrame : public wxFrame, public MessageTarget, public DialogWindow, public DialogView {
 public:
  // Opens the dialog; with a folder, lists it as if chosen with "...".
  explicit MainFrame(const std::optional<std::string>& folder,
                     const FrameServiceOverrides& overrides = {});
  ~MainFrame() override;

  // MessageTarget: called by the analysis worker, from its thread.
  void Post(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

  // DialogWindow
  void EndDialog() override;
  void FitColumnToContents(int column) override;
  void ShowAboutBox() override;
  bool ListInBackground(const std::string& folder, AudioFormats formats) override;
  bool ReadTagsInBackground(const TagReadRequest& request) override;
  AnalysisSlots* AllCoresAnalysis() override { return &services_.AllCores(); }

  // Brings every control up to date with the logic's state.
  void Render();

  // DialogView: what Render changes.
  void ShowText(const ControlTemplate& control, const std::string& text) override;
  void ShowChecked(const ControlTemplate& control, bool checked) override;
  void ShowEnabled(const ControlTemplate& control, bool enabled) override;
  void ShowProgress(int position, int upper) override;
  void ShowDriveNames(const std::vector<std::string>& names) override;
  void ShowDriveSelection(int selection) override;
  void ShowMenuEnabled(int command, bool enabled) override;
  void ShowMenuChecked(int command, bool checked) override;

  MainDialog& Dialog() { return dialog_; }
  TrackListView& ListView() { return *listView_; }
  // The control of a template id (1000-1041).
  wxWindow* Control(int id) const;

 private:
  void CreateControls();
  void CreateMenus();
  void MeasureMinimumSizes();
  void LayOut();
  void EnableKeepingFocus(int id, wxWindow* window, bool enable);

  // Runs a handler of the logic, then renders.
  template <typename Handler>
  void Forward(Handler&& handler) {
    handler();
    Render();
  }

  void OnCommandEvent(wxCommandEvent& event);
  void OnMenuEvent(wxCommandEvent& event);
  void OnCharHook(wxKeyEvent& event);
  void OnClose(wxCloseEvent& event);
  void OnAnalysisEvent(wxThreadEvent& event);
  void OnTapSeriesTimer();
  void OnFolderScanned(uintptr_t scan);
  void EndListing();

  ModalServices modal_;
  TapSeriesTimer timer_;
  DesktopLauncher launcher_;
  // Declared before the dialog, so that the dialog may list a folder as
  // soon as it exists.
  WindowServices services_;
  DesktopOpener& opener_;  // launcher_ or the override
  wxTimer listingTimer_;   // shows the count of files found while listing
  bool busy_ = false;      // the busy cursor is shown
  MainDialog dialog_;
  DialogRenderer renderer_;
  RowFollower follower_;  // keeps the row under analysis in view

  wxPanel* panel_ = nullptr;
  TrackListView* listView_ = nullptr;
  std::map<int, wxWindow*> controls_;  // by control id (the prompt as -1)
  DialogScale scale_;
  std::map<int, PixelSize> minimumSizes_;
  bool ended_ = false;
  bool following_ = false;  // scrolling to the row under analysis
  int openMenus_ = 0;       // menus (and submenus) open now
  int focusReturn_ = 0;     // the disabled control whose focus the list holds
};
