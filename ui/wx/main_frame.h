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
#pragma once

#include <wx/frame.h>
#include <wx/panel.h>

#include <map>
#include <optional>
#include <string>

#include "platform/libcdio_cd_access.h"
#include "platform/message_target.h"
#include "ui/dialog_layout.h"
#include "ui/dialog_state.h"
#include "ui/dialog_window.h"
#include "ui/engine_track_analysis.h"
#include "ui/main_dialog.h"
#include "ui/wx/modal_services.h"

class TrackListView;

class MainFrame : public wxFrame, public MessageTarget, public DialogWindow {
 public:
  // Opens the dialog; with a folder, lists it as if chosen with "...".
  explicit MainFrame(const std::optional<std::string>& folder);
  ~MainFrame() override;

  // MessageTarget: called by the analysis worker, from its thread.
  void Post(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

  // DialogWindow
  void EndDialog() override;
  void FitColumnToContents(int column) override;

  // Brings every control up to date with the logic's state.
  void Render();

  MainDialog& Dialog() { return dialog_; }
  TrackListView& ListView() { return *listView_; }

 private:
  void CreateControls();
  void CreateMenus();
  void MeasureMinimumSizes();
  void LayOut();

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

  ModalServices modal_;
  LibcdioCdAccess cdAccess_;  // the machine's drives
  FileTempoTagWriter tagWriter_;
  EngineTrackAnalysis analysis_;
  MainDialog dialog_;

  wxPanel* panel_ = nullptr;
  TrackListView* listView_ = nullptr;
  std::map<int, wxWindow*> controls_;  // by control id (the prompt as -1)
  DialogScale scale_;
  std::map<int, PixelSize> minimumSizes_;
  // What the controls show now, to touch only what changed.
  std::map<int, ControlState> shown_;
  ProgressBarState shownProgress_{-1, -1};
  std::vector<std::string> shownDrives_;
  int shownDriveSelection_ = -2;
  std::map<int, bool> shownMenu_;
  bool ended_ = false;
};
