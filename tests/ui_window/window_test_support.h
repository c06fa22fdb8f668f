// What the tests of the real window share: failing loudly, running a
// command, reading back the screen (through the screen grab tool, as
// another program sees it), a script of steps, each waiting for the
// window to show the result of the one before, run from a timer on the
// window's own event loop, and the application that holds them.
//
// A window test's life: main() hands its arguments to RunWindowTest, which
// makes the test's application; OnInit makes the test's work folder, lets
// the test make its music, opens the window and begins the script; the
// last step sets `passed_` and closes the window; OnExit removes the work
// folder and says whether the test passed.
#pragma once

#include <wx/app.h>
#include <wx/event.h>
#include <wx/image.h>
#include <wx/timer.h>
#include <wx/uiaction.h>
#include <wx/window.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/desktop_opener.h"
#include "ui/save_file_chooser.h"
#include "ui/wx/main_frame.h"

// Prints the failure and ends the process with status 1.
[[noreturn]] void Fail(const std::string& what);
// Runs a shell command; fails the test when it does not succeed.
void Run(const std::string& command);
// Fails the test with `what` unless the condition holds.
void Check(bool condition, const std::string& what);

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

// What the window tests' applications share: the tools they are given,
// their work folder, the window and the script that drives it.
class WindowTestApp : public wxApp {
 public:
  // name: the test's name, also its work folder's; beatgen, grabTool: the
  // programs that make beat streams and read back the screen; out: the
  // folder where screenshots are kept.
  WindowTestApp(std::string name, std::string beatgen, std::string grabTool, std::string out)
      : name_(std::move(name)),
        beatgen_(std::move(beatgen)),
        grabTool_(std::move(grabTool)),
        out_(std::move(out)) {}

  bool OnInit() override;
  int OnExit() override;

 protected:
  // Fills work_ with what the test lists (music_ is the folder's place).
  virtual void MakeMusic() = 0;
  // Opens the window, with the test's own services in `overrides`.
  virtual MainFrame* OpenWindow(FrameServiceOverrides overrides);
  // Adds the test's steps to script_.
  virtual void Script() = 0;

  // A beat stream of 2690100 samples at 44.1 kHz, one beat every
  // `samplesPerBeat` samples, as a WAV file in the work folder.
  std::string MakeBeats(const std::string& name, int samplesPerBeat);
  // Encodes a WAV file into an MP3 file with lame; `options` go before
  // the file names.
  void Encode(const std::string& wav, const std::string& mp3, const std::string& options = "");
  void Click(wxWindow* window);
  // Chooses a menu command as the menu bar would.
  void Choose(int command);

  const std::string name_;
  const std::string beatgen_;
  const std::string grabTool_;
  const std::string out_;
  std::string work_;
  std::string music_;
  std::optional<ScreenGrab> grab_;
  RecordingOpener opener_;
  CancelSave save_;
  MainFrame* frame_ = nullptr;
  wxUIActionSimulator simulator_;
  StepScript script_;
  bool passed_ = false;
};

// The main() of a window test: checks the arguments
// (TEMPYRA_BEATGEN SCREEN_GRAB OUT_DIR), makes the folder for the
// screenshots, makes the application and runs the toolkit.
int RunWindowTest(int argc, char** argv,
                  const std::function<WindowTestApp*(std::string beatgen, std::string grabTool,
                                                     std::string out)>& makeApp);
