// MainWindow: the program's main window on Windows, a dialog built from the
// template in ui/ (dialog_template.h) with the common controls, and a thin
// view over the MainDialog logic: it forwards every notification to the
// logic and then renders the logic's state; it decides nothing itself.
//
// The dialog runs modally (DialogBoxIndirectParamW), so the dialog manager
// handles Tab, Enter (IDOK) and Escape (IDCANCEL) as on any dialog. The
// analysis worker's messages (1025, 1026, 1027) and the end of a folder
// listing are posted to the dialog window and handled on its thread; as
// 1025 and 1026 are also the dialog manager's DM_SETDEFID and
// DM_REPOSITION, a result (1026, 1027) counts only with the worker's mark.
// The list's right click and menu key open the row menu; the "Tag" column
// shows while Project > Show Tags is checked, its tags read on a worker. A
// folder is listed on a worker: the window shows at once, with the busy
// cursor and the count of files found so far in the status line. Ending
// the dialog stops a running analysis; messages still queued are dropped
// with the window.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>

#include "platform/message_target.h"
#include "ui/dialog_layout.h"
#include "ui/dialog_renderer.h"
#include "ui/dialog_timer.h"
#include "ui/dialog_view.h"
#include "ui/dialog_window.h"
#include "ui/main_dialog.h"
#include "ui/row_follower.h"
#include "ui/win32/shell_opener.h"
#include "ui/win32/track_list_control.h"
#include "ui/win32/win32_modal_services.h"
#include "ui/window_services.h"

class MainWindow : public MessageTarget,
                   public DialogWindow,
                   public DialogView,
                   public DialogTimer {
 public:
  // With a folder, lists it as if chosen with "..." once the window shows.
  explicit MainWindow(std::optional<std::string> folder);
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;
  ~MainWindow() override;

  // Shows the window and returns when it has been closed: 0, or -1 when
  // it could not be made.
  int Run();

  // MessageTarget: called by the workers, from their threads.
  void Post(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

  // DialogWindow
  void EndDialog() override;
  void FitColumnToContents(int column) override;
  void ShowAboutBox() override;
  bool ListInBackground(const std::string& folder, AudioFormats formats) override;
  bool ReadTagsInBackground(const TagReadRequest& request) override;
  AnalysisSlots* AllCoresAnalysis() override { return &services_.AllCores(); }

  // DialogView
  void ShowText(const ControlTemplate& control, const std::string& text) override;
  void ShowChecked(const ControlTemplate& control, bool checked) override;
  void ShowEnabled(const ControlTemplate& control, bool enabled) override;
  void ShowProgress(int position, int upper) override;
  void ShowDriveNames(const std::vector<std::string>& names) override;
  void ShowDriveSelection(int selection) override;
  void ShowMenuEnabled(int command, bool enabled) override;
  void ShowMenuChecked(int command, bool checked) override;

  // DialogTimer: the tap tempo's series timer.
  void Start(uint32_t milliseconds) override;
  void Stop() override;

 private:
  static INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void OnInitDialog();
  void OnCommand(int id, int code);
  bool OnNotify(const NMHDR& header, LRESULT& result);
  void OnFolderScanned(uintptr_t scan);
  // The row menu for a right click at `where` on the screen, or for the
  // menu key (-1, -1).
  void ShowRowMenu(POINT where);
  void EndListing();
  void MakeMenus();
  void LayOut();
  void LimitSize(MINMAXINFO& limits) const;
  DialogScale Scale() const;
  // The pixels each control's text needs on one line, in the dialog's font.
  void MeasureTexts();
  // Brings every control up to date with the logic's state.
  void Render();

  // Runs a handler of the logic, then renders.
  template <typename Handler>
  void Forward(Handler&& handler) {
    if (ended_) return;
    handler();
    if (!ended_) Render();
  }

  std::optional<std::string> folder_;
  Win32ModalServices modal_;
  ShellOpener opener_;
  // Declared before the dialog, so that the dialog may list a folder as
  // soon as it exists.
  WindowServices services_;
  MainDialog dialog_;
  DialogRenderer renderer_;
  RowFollower follower_;  // keeps the row under analysis in view
  TrackListControl list_;

  std::map<int, int> neededWidths_;  // by control id, from MeasureTexts
  int measuredUnit_ = 0;             // the dialog unit they were measured at
  HWND window_ = nullptr;
  HMENU menu_ = nullptr;
  HICON bigIcon_ = nullptr;
  HICON smallIcon_ = nullptr;
  bool ended_ = false;
  bool busy_ = false;       // listing: the busy cursor is shown
  bool following_ = false;  // scrolling to the row under analysis
  bool selectionReadPosted_ = false;
};
