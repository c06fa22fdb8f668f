// tempyra-window-actions: the real window, driven in its own process with
// simulated mouse clicks and keys (run it under xvfb-run). It lists a folder
// of MP3 files made at test time, analyses them with Go!, taps a tempo on
// the WAV row with the tap button, sets it, renames the analysed files and
// the tapped one with their tempo and checks the names on disk, opens a
// row's file with a double click and the help with F1, opens the About box
// (its version, a link's hand cursor and click, F1 inside it doing nothing)
// and saves screenshots of the About box and the window.
//
//   tempyra-window-actions TEMPYRA_BEATGEN SCREEN_GRAB OUT_DIR
//
// The tick and the tap series' timer are the test's own, so the tapped
// tempo does not depend on how fast the machine answers the clicks; what
// the window would open with the desktop, ask (the log's save dialog is
// cancelled) or tell is recorded. Each step waits for the window to show
// the result of the one before, with a generous time-out. Exit status 0
// when every step passed.
#include <unistd.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "tests/ui_window/window_test_support.h"
#include "ui/about_box.h"
#include "ui/about_picture.h"
#include "ui/bpm_text.h"
#include "ui/dialog_ids.h"
#include "ui/help_documents.h"
#include "ui/tap_tempo.h"
#include "ui/wx/about_dialog.h"
#include "ui/wx/command_ids.h"
#include "ui/wx/hyperlink_label.h"
#include "ui/wx/main_frame.h"
#include "ui/wx/track_list_view.h"

namespace fs = std::filesystem;

namespace {

struct TestClock : TickClock {
  uint32_t Now() override { return now; }
  uint32_t now = 1;
};

struct TestTimer : DialogTimer {
  void Start(uint32_t milliseconds) override { period = milliseconds; }
  void Stop() override { period = 0; }
  uint32_t period = 0;  // 0: not armed
};

struct TestMessages : MessageBoxService {
  void ShowMessage(const std::string& text, const std::string&) override { shown.push_back(text); }
  std::vector<std::string> shown;
};

// Whether the About box's picture is on the screen: a few of its pixels
// read back from the screen as drawn.
bool PictureOnScreen(const ScreenGrab& grab, wxWindow* about) {
  wxStaticBitmap* shown = nullptr;
  for (wxWindow* child : about->GetChildren())
    if (auto* bitmap = dynamic_cast<wxStaticBitmap*>(child)) shown = bitmap;
  if (shown == nullptr) Fail("the About box has no picture");
  const wxImage image = grab.Image(shown);
  const RgbaPicture picture = AboutPicture();
  // The bitmap in the middle of its control.
  const int left = (image.GetWidth() - picture.width) / 2;
  const int top = (image.GetHeight() - picture.height) / 2;
  for (const wxPoint& at : {wxPoint(120, 125), wxPoint(40, 30), wxPoint(200, 230)}) {
    const int x = left + at.x;
    const int y = top + at.y;
    if (x < 0 || y < 0 || x >= image.GetWidth() || y >= image.GetHeight()) return false;
    const uint8_t* expected =
        &picture.pixels[static_cast<size_t>((at.y * picture.width + at.x) * 4)];
    if (std::abs(image.GetRed(x, y) - expected[0]) > 8 ||
        std::abs(image.GetGreen(x, y) - expected[1]) > 8 ||
        std::abs(image.GetBlue(x, y) - expected[2]) > 8)
      return false;
  }
  return true;
}

class ActionsApp : public WindowTestApp {
 public:
  ActionsApp(std::string beatgen, std::string grabTool, std::string out)
      : WindowTestApp("tempyra-window-actions", std::move(beatgen), std::move(grabTool),
                      std::move(out)) {}

 private:
  void MakeMusic() override;
  MainFrame* OpenWindow(FrameServiceOverrides overrides) override;
  void Script() override;
  bool SaveScreenshot(wxWindow* window, const std::string& path) {
    return grab_->Save(window, path);
  }

  MainDialog& Dialog() { return frame_->Dialog(); }
  const TrackList& Tracks() { return frame_->Dialog().Tracks(); }
  wxString Label(int id) { return frame_->Control(id)->GetLabel(); }
  void ClickRow(int row, int modifiers = wxMOD_NONE, bool twice = false);
  AboutDialog* OpenAboutBox();

  TestClock clock_;
  TestTimer timer_;
  TestMessages messages_;
};

void ActionsApp::MakeMusic() {
  fs::create_directories(music_ + "/sub");
  // Beat streams at 120 and 90 beats per minute (the second reads as its
  // double, 179.60) made into MP3 files, and a WAV file, not analysed.
  const std::string beats120 = MakeBeats("b120.wav", 22050);
  Encode(beats120, music_ + "/beats120.mp3");
  Encode(MakeBeats("b90.wav", 29400), music_ + "/sub/beats90.mp3");
  fs::copy_file(beats120, music_ + "/click.wav");
  // The help document in the current folder, where the window looks first.
  fs::create_directories(work_ + "/start");
  std::ofstream(work_ + "/start/help.html") << "<html><body>help</body></html>\n";
  if (chdir((work_ + "/start").c_str()) != 0) Fail("cannot enter the start folder");
}

MainFrame* ActionsApp::OpenWindow(FrameServiceOverrides overrides) {
  overrides.clock = &clock_;
  overrides.timer = &timer_;
  overrides.messageBox = &messages_;
  return WindowTestApp::OpenWindow(overrides);
}

void ActionsApp::ClickRow(int row, int modifiers, bool twice) {
  TrackListView& list = frame_->ListView();
  wxRect rect;
  if (!list.GetItemRect(row, rect)) Fail("no rectangle for row " + std::to_string(row));
  // The rows' window is a child of the control; GetItemRect is in the
  // control's client coordinates.
  const wxPoint point =
      list.ClientToScreen(wxPoint(rect.x + rect.width / 4, rect.y + rect.height / 2));
  simulator_.MouseMove(point);
  if (modifiers != wxMOD_NONE) simulator_.KeyDown(WXK_CONTROL);
  if (twice)
    simulator_.MouseDblClick();
  else
    simulator_.MouseClick();
  if (modifiers != wxMOD_NONE) simulator_.KeyUp(WXK_CONTROL);
}

AboutDialog* ActionsApp::OpenAboutBox() {
  for (wxWindow* window : wxTopLevelWindows)
    if (auto* about = dynamic_cast<AboutDialog*>(window); about != nullptr && about->IsShown())
      return about;
  return nullptr;
}

void ActionsApp::Script() {
  auto step = [this](std::string name, std::function<bool()> ready, std::function<void()> act,
                     int timeout = 30) {
    script_.Add(std::move(name), std::move(ready), std::move(act), timeout);
  };
  auto always = [] { return true; };
  const auto check = Check;

  step(
      "the window lists the folder",
      [this] { return frame_->IsShownOnScreen() && Tracks().RowCount() == 3; },
      [this] { Click(frame_->Control(kGoButton)); }, 60);
  step(
      "the run has ended", [this] { return save_.asked == 1 && !Dialog().AnalysisRunning(); },
      [this, check] {
        check(Tracks().Row(1).fileName == music_ + "/click.wav", "rows not in byte order");
        // About 119.8 and 179.6: (120) and (180) in the names.
        const double beats120 = ParseBpmText(Tracks().Row(0).bpm);
        const double beats90 = ParseBpmText(Tracks().Row(2).bpm);
        check(beats120 > 119.5 && beats120 < 120.5, "beats120: " + Tracks().Row(0).bpm);
        check(beats90 > 179.5 && beats90 < 180.5, "beats90: " + Tracks().Row(2).bpm);
        check(Tracks().Row(1).bpm.empty(), "the WAV row was analysed");
        ClickRow(1);
      },
      240);
  step(
      "only the WAV row is selected",
      [this] {
        return Tracks().SelectedCount() == 1 && Tracks().Row(1).selected &&
               frame_->Control(kTapButton)->IsEnabled();
      },
      [this] {
        clock_.now = 10000;
        Click(frame_->Control(kTapButton));
      });
  // Three more taps, 500 ms apart on the test's clock.
  for (uint32_t tap = 1; tap <= 3; ++tap) {
    step(
        "tap " + std::to_string(tap) + " was counted",
        [this, tap] {
          const TapState& series = Dialog().TapSeries();
          return series.seriesStart == 10000 && series.intervalCount == static_cast<int>(tap) - 1;
        },
        [this, tap] {
          clock_.now = 10000 + 500 * tap;
          Click(frame_->Control(kTapButton));
        });
  }
  step(
      "the taps propose 120 per minute",
      [this] {
        // Every tap counted (the proposal reads 120 from the second on).
        return Dialog().TapSeries().intervalCount == 3 &&
               Label(kSetBpmButton) == "Set BPM = 120.00";
      },
      [this, check] {
        check(frame_->Control(kSetBpmButton)->IsEnabled(), "the set-BPM button is disabled");
        check(timer_.period == 950, "timer armed for " + std::to_string(timer_.period) + " ms");
        SaveScreenshot(frame_, out_ + "/tempyra-tapping.png");
        // The button has room for its longest text, a proposal of three
        // digits between asterisks.
        wxWindow* button = frame_->Control(kSetBpmButton);
        const wxString shown = button->GetLabel();
        button->SetLabel(kWidestSetBpmText);
        const wxSize needed = button->GetBestSize();
        button->SetLabel(shown);
        check(button->GetSize().x >= needed.x,
              "the set-BPM button is too narrow for " + std::string(kWidestSetBpmText));
        // The series' timer runs out.
        timer_.period = 0;
        Dialog().OnTimer();
        frame_->Render();
      });
  step(
      "the series has ended", [this] { return Label(kSetBpmButton) == "Set BPM = -120.00-"; },
      [this] { Click(frame_->Control(kSetBpmButton)); });
  step(
      "the row shows the tapped tempo",
      [this] { return Tracks().Row(1).bpm == "120.00" && Label(kSetBpmButton) == "Set BPM = ???"; },
      [this, check] {
        check(Tracks().Row(1).image == RowImage::kSetByHand, "the row's image is not the thumb");
        check(!frame_->Control(kSetBpmButton)->IsEnabled(), "set-BPM stays enabled");
        ClickRow(0, wxMOD_CONTROL);
      });
  step(
      "two rows are selected", [this] { return Tracks().SelectedCount() == 2; },
      [this] { ClickRow(2, wxMOD_CONTROL); });
  step(
      "three rows are selected", [this] { return Tracks().SelectedCount() == 3; },
      [this] {
        // Project > Rename Files (the menu itself is driven by the keyboard
        // in the window's other test).
        frame_->GetEventHandler()->QueueEvent(
            new wxCommandEvent(wxEVT_MENU, WxIdOfCommand(kRenameFilesCommand)));
      });
  step(
      "the files carry their tempo on disk",
      [this] { return fs::exists(music_ + "/(120) click.wav"); },
      [this, check] {
        check(messages_.shown.empty(),
              "a message: " + (messages_.shown.empty() ? std::string() : messages_.shown[0]));
        for (const char* name : {"/(120) beats120.mp3", "/sub/(180) beats90.mp3"})
          check(fs::exists(music_ + name), std::string("missing on disk: ") + name);
        for (const char* name : {"/beats120.mp3", "/click.wav", "/sub/beats90.mp3"})
          check(!fs::exists(music_ + name), std::string("still on disk: ") + name);
        // The list still shows the old names.
        check(Tracks().Row(0).fileName == music_ + "/beats120.mp3", "the list changed");
        ClickRow(2, wxMOD_NONE, true);
      });
  step(
      "a double click opens the row's file", [this] { return opener_.opened.size() == 1; },
      [this, check] {
        check(opener_.opened[0] == music_ + "/sub/beats90.mp3", "opened " + opener_.opened[0]);
        simulator_.MouseMove(CentreOnScreen(frame_->Control(kStatusLine)));
        simulator_.Char(WXK_F1);
      });
  step(
      "F1 opens the help document", [this] { return opener_.opened.size() == 2; },
      [this, check] {
        check(opener_.opened[1] == work_ + "/start/help.html", "opened " + opener_.opened[1]);
        SaveScreenshot(frame_, out_ + "/tempyra-tapped.png");
        // Queued, so that the box's modal loop runs outside this ticker's
        // call (a timer does not fire again inside its own callback).
        frame_->GetEventHandler()->QueueEvent(
            new wxCommandEvent(wxEVT_MENU, WxIdOfCommand(kAboutCommand)));
      });
  step(
      "the About box is open", [this] { return OpenAboutBox() != nullptr; },
      [this, check] {
        AboutDialog* about = OpenAboutBox();
        check(about->GetTitle() == "About Tempyra", "title " + about->GetTitle().ToStdString());
        check(about->Control(kVersionLabel)->GetLabel() == "1.02", "version label");
        simulator_.MouseMove(CentreOnScreen(about->Control(kProductSiteLink)));
      });
  step(
      "the hand shows over the link",
      [this] {
        auto* link = static_cast<HyperlinkLabel*>(OpenAboutBox()->Control(kProductSiteLink));
        return link->GetCursor().IsOk();
      },
      [] {});
  step(
      "the About box is drawn on the screen",
      [this] { return PictureOnScreen(*grab_, OpenAboutBox()); },
      [this, check] {
        AboutDialog* about = OpenAboutBox();
        check(SaveScreenshot(about, out_ + "/tempyra-about.png"), "About box screenshot");
        // Over the notice, not a link: the link's hand goes.
        simulator_.MouseMove(CentreOnScreen(about->Control(kLegalNotice)));
      });
  step(
      "the hand has gone",
      [this] { return !OpenAboutBox()->Control(kProductSiteLink)->GetCursor().IsOk(); },
      [this] { Click(OpenAboutBox()->Control(kSupportLink)); });
  step(
      "a link opens its address", [this] { return opener_.opened.size() == 3; },
      [this, check] {
        check(opener_.opened[2] == "https://www.tempyra.example/support.html",
              "opened " + opener_.opened[2]);
        check(OpenAboutBox() != nullptr, "the About box closed");
        // F1 inside the box does nothing; Escape then closes it.
        simulator_.Char(WXK_F1);
        simulator_.Char(WXK_ESCAPE);
      });
  step(
      "the About box has closed", [this] { return OpenAboutBox() == nullptr; },
      [this, check] {
        check(opener_.opened.size() == 3, "F1 in the About box opened " + opener_.opened.back());
        passed_ = true;
        simulator_.MouseMove(CentreOnScreen(frame_->Control(kStatusLine)));
        simulator_.Char(WXK_ESCAPE);
      });
  step(
      "the window has closed", [] { return false; }, always, 30);
}

}  // namespace

int main(int argc, char** argv) {
  return RunWindowTest(argc, argv, [](std::string beatgen, std::string grabTool, std::string out) {
    return new ActionsApp(std::move(beatgen), std::move(grabTool), std::move(out));
  });
}
