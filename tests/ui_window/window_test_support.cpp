// Shared support of the window tests. See window_test_support.h.
#include "tests/ui_window/window_test_support.h"

#include <unistd.h>
#include <wx/init.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "ui/wx/command_ids.h"

void Fail(const std::string& what) {
  std::fprintf(stderr, "FAIL: %s\n", what.c_str());
  std::fflush(stderr);
  _exit(1);
}

void Run(const std::string& command) {
  if (std::system(command.c_str()) != 0) Fail("command failed: " + command);
}

void Check(bool condition, const std::string& what) {
  if (!condition) Fail(what);
}

namespace {

// A new folder of the test's own under /tmp, named after the test.
std::string MakeWorkFolder(const std::string& testName) {
  std::string pattern = "/tmp/" + testName + "-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) Fail("cannot make a temporary folder");
  return pattern;
}

// The end of a test's application: removes its folder, fails when the
// window closed before every step passed, else reports the pass.
int FinishWindowTest(const std::string& testName, const std::string& workFolder, bool passed) {
  std::error_code ignored;
  std::filesystem::remove_all(workFolder, ignored);
  if (!passed) Fail("the window closed before every step had passed");
  std::printf("%s: passed\n", testName.c_str());
  return 0;
}

}  // namespace

wxPoint CentreOnScreen(wxWindow* window) {
  const wxRect rect = window->GetScreenRect();
  return {rect.x + rect.width / 2, rect.y + rect.height / 2};
}

// A screen device context of this process may keep showing what the screen
// held when it first read it: the grab tool reads it afresh.
wxImage ScreenGrab::Image(const wxRect& rect) const {
  Run("'" + tool_ + "' '" + file_ + "' " + std::to_string(rect.x) + " " + std::to_string(rect.y) +
      " " + std::to_string(rect.width) + " " + std::to_string(rect.height));
  wxImage image;
  if (!image.LoadFile(wxString::FromUTF8(file_), wxBITMAP_TYPE_PNG))
    Fail("cannot read the screen grab " + file_);
  return image;
}

bool ScreenGrab::Save(const wxRect& rect, const std::string& path) const {
  std::printf("screenshot: %s\n", path.c_str());
  return Image(rect).SaveFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG);
}

void StepScript::Add(std::string name, std::function<bool()> ready, std::function<void()> act,
                     int timeoutSeconds) {
  steps_.push_back({std::move(name), std::move(ready), std::move(act), timeoutSeconds});
}

void StepScript::Begin() {
  stepStarted_ = std::chrono::steady_clock::now();
  ticker_.SetOwner(this);
  Bind(wxEVT_TIMER, &StepScript::OnTick, this);
  ticker_.Start(50);
}

void StepScript::OnTick(wxTimerEvent&) {
  if (next_ >= steps_.size()) return;
  Step& step = steps_[next_];
  if (!step.ready()) {
    const auto waited = std::chrono::steady_clock::now() - stepStarted_;
    if (waited > std::chrono::seconds(step.timeoutSeconds))
      Fail("step \"" + step.name + "\" not reached within " + std::to_string(step.timeoutSeconds) +
           " s");
    return;
  }
  std::printf("step: %s\n", step.name.c_str());
  std::fflush(stdout);
  ++next_;
  stepStarted_ = std::chrono::steady_clock::now();
  step.act();
}

bool WindowTestApp::OnInit() {
  wxInitAllImageHandlers();
  work_ = MakeWorkFolder(name_);
  music_ = work_ + "/music";
  grab_.emplace(grabTool_, work_ + "/grab.png");
  MakeMusic();
  FrameServiceOverrides overrides;
  overrides.opener = &opener_;
  overrides.saveFileChooser = &save_;
  frame_ = OpenWindow(overrides);
  Script();
  script_.Begin();
  return true;
}

MainFrame* WindowTestApp::OpenWindow(FrameServiceOverrides overrides) {
  auto* frame = new MainFrame(music_, overrides);
  frame->Show();
  return frame;
}

int WindowTestApp::OnExit() {
  script_.Stop();
  return FinishWindowTest(name_, work_, passed_);
}

std::string WindowTestApp::MakeBeats(const std::string& name, int samplesPerBeat) {
  const std::string wav = work_ + "/" + name;
  Run("'" + beatgen_ + "' '" + wav + "' 44100 " + std::to_string(samplesPerBeat) + " 2690100 1");
  return wav;
}

void WindowTestApp::Encode(const std::string& wav, const std::string& mp3,
                           const std::string& options) {
  Run("lame --quiet -b 128 " + options + " '" + wav + "' '" + mp3 + "'");
}

void WindowTestApp::Click(wxWindow* window) {
  simulator_.MouseMove(CentreOnScreen(window));
  simulator_.MouseClick();
}

void WindowTestApp::Choose(int command) {
  frame_->GetEventHandler()->QueueEvent(new wxCommandEvent(wxEVT_MENU, WxIdOfCommand(command)));
}

int RunWindowTest(int argc, char** argv,
                  const std::function<WindowTestApp*(std::string beatgen, std::string grabTool,
                                                     std::string out)>& makeApp) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s TEMPYRA_BEATGEN SCREEN_GRAB OUT_DIR\n", argv[0]);
    return 2;
  }
  std::filesystem::create_directories(argv[3]);
  wxApp::SetInstance(makeApp(argv[1], argv[2], argv[3]));
  int toolkitArgc = 1;
  char* toolkitArgv[] = {argv[0], nullptr};
  return wxEntry(toolkitArgc, toolkitArgv);
}
