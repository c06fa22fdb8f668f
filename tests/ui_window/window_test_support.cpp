// Shared support of the window tests. See window_test_support.h.
#include "tests/ui_window/window_test_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

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

std::string MakeWorkFolder(const std::string& testName) {
  std::string pattern = "/tmp/" + testName + "-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) Fail("cannot make a temporary folder");
  return pattern;
}

int FinishWindowTest(const std::string& testName, const std::string& workFolder, bool passed) {
  std::error_code ignored;
  std::filesystem::remove_all(workFolder, ignored);
  if (!passed) Fail("the window closed before every step had passed");
  std::printf("%s: passed\n", testName.c_str());
  return 0;
}

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
