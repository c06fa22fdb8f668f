// What the tests of the real window share: failing loudly, running a
// command, reading back the screen (through the screen grab tool, as
// another program sees it) and a script of steps, each waiting for the
// window to show the result of the one before, run from a timer on the
// window's own event loop.
#pragma once

#include <wx/event.h>
#include <wx/image.h>
#include <wx/timer.h>
#include <wx/window.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/desktop_opener.h"
#include "ui/save_file_chooser.h"

// Prints the failure and ends the process with status 1.
[[noreturn]] void Fail(const std::string& what);
// Runs a shell command; fails the test when it does not succeed.
void Run(const std::string& command);
// Fails the test with `what` unless the condition holds.
void Check(bool condition, const std::string& what);
// A new folder of the test's own under /tmp, named after the test.
std::string MakeWorkFolder(const std::string& testName);
// The end of a test's application: removes its folder, fails when the
// window closed before every step passed, else reports the pass.
int FinishWindowTest(const std::string& testName, const std::string& workFolder, bool passed);

// What the window would open with the desktop, recorded.
struct RecordingOpener : DesktopOpener {
  void Open(const std::string& target) override { opened.push_back(target); }
  std::vector<std::string> opened;
};

// The log's save dialog, answered with "cancel".
struct CancelSave : SaveFileChooser {
  std::optional<std::string> ChooseSaveFile(const SaveFileRequest&) override {
    ++asked;
    return std::nullopt;
  }
  int asked = 0;
};

wxPoint CentreOnScreen(wxWindow* window);

class ScreenGrab {
 public:
  // tool: the tempyra-screen-grab program; file: where it may write.
  ScreenGrab(std::string tool, std::string file) : tool_(std::move(tool)), file_(std::move(file)) {}
  // The part of the screen a rectangle or a window covers.
  wxImage Image(const wxRect& rect) const;
  wxImage Image(wxWindow* window) const { return Image(window->GetScreenRect()); }
  bool Save(const wxRect& rect, const std::string& path) const;
  bool Save(wxWindow* window, const std::string& path) const {
    return Save(window->GetScreenRect(), path);
  }

 private:
  std::string tool_;
  std::string file_;
};

// A script of steps: when a step's `ready` holds, its `act` runs and the
// next step begins; a step not ready within its time-out fails the test.
class StepScript : public wxEvtHandler {
 public:
  void Add(std::string name, std::function<bool()> ready, std::function<void()> act,
           int timeoutSeconds = 30);
  // Starts checking the steps every 50 ms.
  void Begin();
  void Stop() { ticker_.Stop(); }

 private:
  struct Step {
    std::string name;
    std::function<bool()> ready;
    std::function<void()> act;
    int timeoutSeconds;
  };
  void OnTick(wxTimerEvent& event);

  std::vector<Step> steps_;
  size_t next_ = 0;
  std::chrono::steady_clock::time_point stepStarted_;
  wxTimer ticker_;
};
