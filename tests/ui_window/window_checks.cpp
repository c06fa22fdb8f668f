// tempyra-window-checks: the real window on hostile names and small
// screens, driven in its own process (run it under xvfb-run). A folder made
// at test time holds a subfolder and a file whose names are Latin-1 (not
// UTF-8), a file whose name is 250 bytes long, many WAV files and one MP3
// file that sorts last; the folder's own name is Latin-1 too. Checked:
//   - the path box, the status line during the run and the list show such
//     names (with replacement characters), and the FileName column is as
//     wide as its widest name as drawn;
//   - the list scrolls to the row under analysis;
//   - Tab reaches the spinners and Up/Down step them as a click does,
//     switching a tempo limit on;
//   - after a click on Set BPM, which disables it, the list has the focus
//     and F1 opens the help;
//   - the window does not shrink below the size at which its layout holds;
//   - the message of a failed rename of the long name fits a 1366 x 768
//     screen and shows the name.
// Screenshots of the folder and of the message box are saved for a person
// to look at.
//
//   tempyra-window-checks TEMPYRA_BEATGEN SCREEN_GRAB OUT_DIR
#include <unistd.h>
#include <wx/app.h>
#include <wx/init.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "tests/ui_window/window_test_support.h"
#include "ui/dialog_ids.h"
#include "ui/display_text.h"
#include "ui/wx/command_ids.h"
#include "ui/wx/main_frame.h"
#include "ui/wx/track_list_view.h"

namespace fs = std::filesystem;

namespace {

// U+FFFD as the toolkit's text holds it.
const wxString kReplacement = wxString::FromUTF8("\xEF\xBF\xBD");

class ChecksApp : public WindowTestApp {
 public:
  ChecksApp(std::string beatgen, std::string grabTool, std::string out)
      : WindowTestApp("tempyra-window-checks", std::move(beatgen), std::move(grabTool),
                      std::move(out)) {}

 private:
  void MakeMusic() override;
  void Script() override;
  // The screen rectangles of this process's visible top-level windows.
  std::vector<wxRect> VisibleWindows();
  // The message box's rectangle once it is on the screen and drawn.
  std::optional<wxRect> MessageBoxDrawn();
  wxString Label(int id) { return frame_->Control(id)->GetLabel(); }

  std::string latinFolder_;
  std::string latinFile_;
  std::string longName_;
  std::optional<std::chrono::steady_clock::time_point> boxSeenAt_;
};

void ChecksApp::MakeMusic() {
  // "Müsik" in Latin-1: the path box shows a name that is not UTF-8.
  music_ = work_ + "/M\xFCsik";
  // "Études café" and "été" in Latin-1 (0xC9 and 0xE9 are no UTF-8); the
  // folder sorts after every ASCII name.
  latinFolder_ = music_ + "/\xC9tudes caf\xE9";
  latinFile_ = latinFolder_ + "/\xE9t\xE9 120.mp3";
  fs::create_directories(latinFolder_);
  const std::string beats120 = MakeBeats("b120.wav", 22050);
  Encode(beats120, latinFile_);
  // Rows enough that the last one starts out of view.
  for (int i = 0; i < 60; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/click%02d.wav", i);
    fs::copy_file(beats120, music_ + name);
  }
  // A name of 250 bytes with a Latin-1 letter in it. Renamed with a tempo
  // of two decimals, "(0.00) " in front, it is longer than a name may be,
  // and the rename fails with a message.
  longName_ = music_ + "/Long \xE9" + std::string(240, 'n') + ".wav";
  fs::copy_file(beats120, longName_);
}

std::vector<wxRect> ChecksApp::VisibleWindows() {
  const std::string list = work_ + "/windows";
  Run("xdotool search --onlyvisible --pid " + std::to_string(getpid()) +
      " 2>/dev/null | while read w; do xdotool getwindowgeometry --shell $w; done >'" + list +
      "'; true");
  std::vector<wxRect> windows;
  std::ifstream in(list);
  wxRect rect;
  for (std::string line; std::getline(in, line);) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = line.substr(0, equals);
    const int value = std::atoi(line.c_str() + equals + 1);
    if (key == "X") rect.x = value;
    if (key == "Y") rect.y = value;
    if (key == "WIDTH") rect.width = value;
    if (key == "HEIGHT") {
      rect.height = value;
      windows.push_back(rect);
    }
  }
  return windows;
}

std::optional<wxRect> ChecksApp::MessageBoxDrawn() {
  const wxRect main = frame_->GetScreenRect();
  for (const wxRect& box : VisibleWindows()) {
    if (box == main || box.Contains(main)) continue;
    // Mapped is not yet drawn: the toolkit draws it on its next turn of
    // the event loop. A second of the loop running (this check is called
    // from it) is plenty.
    const auto now = std::chrono::steady_clock::now();
    if (!boxSeenAt_) boxSeenAt_ = now;
    if (now - *boxSeenAt_ < std::chrono::seconds(1)) return std::nullopt;
    return box;
  }
  boxSeenAt_.reset();
  return std::nullopt;
}

void ChecksApp::Script() {
  const auto check = Check;
  // 60 clicks, the long name, the MP3 file.
  const int rows = 62;
  TrackListView& list = frame_->ListView();

  script_.Add(
      "the folder is listed",
      [this] { return frame_->IsShownOnScreen() && frame_->Dialog().Tracks().RowCount() == rows; },
      [this, check, &list] {
        const TrackList& tracks = frame_->Dialog().Tracks();
        // The rows keep the file system's bytes; the MP3 file sorts last.
        check(tracks.Row(rows - 1).fileName == latinFile_, "the last row is not the Latin-1 file");
        const wxString path = static_cast<wxTextCtrl*>(frame_->Control(kSourcePath))->GetValue();
        check(!path.empty() && path == wxString::FromUTF8(DisplayText(music_)) &&
                  path.Contains(kReplacement),
              "the path box shows " + path.ToStdString());
        // The column is as wide as the widest name as the list draws it.
        int widest = 0;
        for (int row = 0; row < rows; ++row) {
          int width = 0;
          int height = 0;
          list.GetTextExtent(wxString::FromUTF8(DisplayText(tracks.Row(row).fileName)), &width,
                             &height);
          widest = std::max(widest, width);
        }
        check(list.GetColumnWidth(1) >= widest, "the FileName column is narrower than its names");
        check(list.GetItemText(rows - 1, 1).Contains(kReplacement),
              "the list does not show the Latin-1 name with replacement characters");
        // Only the Latin-1 MP3 file is analysed. Go! starts its analysis at
        // once: the status line shows its name, the list scrolls to it.
        frame_->Dialog().OnCommand(kGoButton);
        frame_->Render();
        check(frame_->Dialog().AnalysisRunning(), "Go! started no run");
        check(Label(kStatusLine).Contains(kReplacement),
              "the status line shows " + Label(kStatusLine).ToStdString());
        check(list.GetTopItem() + list.GetCountPerPage() > rows - 1,
              "the row under analysis is out of view");
        wxYield();
        check(grab_->Save(frame_, out_ + "/tempyra-latin1-folder.png"), "screenshot");
      },
      60);
  script_.Add(
      "the run has ended", [this] { return save_.asked == 1; },
      [this] {
        // Tab from the "Min. Tempo" box reaches its spinner.
        frame_->Control(kMinTempoBox)->SetFocus();
        simulator_.Char(WXK_TAB);
      },
      240);
  script_.Add(
      "Tab reaches the minimum tempo's spinner",
      [this] { return wxWindow::FindFocus() == frame_->Control(kMinTempoUpDown); },
      [this] { simulator_.Char(WXK_UP); });
  script_.Add(
      "Up steps it and switches the limit on",
      [this] { return frame_->Dialog().State().UpDown(kMinTempoUpDown).position == 31; },
      [this, check] {
        check(frame_->Dialog().State().Control(kMinTempoBox).checked, "Min. Tempo not checked");
        check(Label(kMinTempoValue) == "31",
              "the buddy shows " + Label(kMinTempoValue).ToStdString());
        frame_->Control(kMaxTempoBox)->SetFocus();
        simulator_.Char(WXK_TAB);
      });
  script_.Add(
      "Tab reaches the maximum tempo's spinner",
      [this] { return wxWindow::FindFocus() == frame_->Control(kMaxTempoUpDown); },
      [this] { simulator_.Char(WXK_DOWN); });
  script_.Add(
      "Down steps it and switches the limit on",
      [this] { return frame_->Dialog().State().UpDown(kMaxTempoUpDown).position == 239; },
      [this, check] {
        check(frame_->Dialog().State().Control(kMaxTempoBox).checked, "Max. Tempo not checked");
        simulator_.Char(WXK_TAB);
      });
  script_.Add(
      "Tab reaches the decimal places' spinner",
      [this] { return wxWindow::FindFocus() == frame_->Control(kDecimalPlacesUpDown); },
      [this] {
        simulator_.Char(WXK_UP);
        simulator_.Char(WXK_UP);
        simulator_.Char(WXK_UP);
      });
  script_.Add(
      "Up steps the decimal places to their end",
      [this] { return Label(kDecimalPlacesValue) == "2"; },
      [this, check] {
        check(frame_->Dialog().State().UpDown(kDecimalPlacesUpDown).position == 2,
              "decimal places beyond their range");
        // A tempo tapped on the first row and set with a click on Set BPM,
        // which is then disabled while it has the focus.
        MainDialog& dialog = frame_->Dialog();
        for (int row = 0; row < dialog.Tracks().RowCount(); ++row)
          dialog.OnRowSelected(row, row == 0);
        frame_->Render();
        Click(frame_->Control(kTapButton));
      });
  script_.Add(
      "the first tap was counted", [this] { return frame_->Dialog().TapSeries().seriesStart != 0; },
      [this] { Click(frame_->Control(kTapButton)); });
  script_.Add(
      "the taps propose a tempo", [this] { return frame_->Control(kSetBpmButton)->IsEnabled(); },
      [this] { Click(frame_->Control(kSetBpmButton)); });
  script_.Add(
      "the tempo is set",
      [this] {
        return frame_->Dialog().Tracks().Row(0).image == RowImage::kSetByHand &&
               !frame_->Control(kSetBpmButton)->IsEnabled();
      },
      [this, check] {
        // The list holds the focus the disabled button had, so the
        // window's keys still arrive.
        wxWindow* focus = wxWindow::FindFocus();
        check(focus != nullptr &&
                  (focus == &frame_->ListView() || focus->GetParent() == &frame_->ListView()),
              "the focus is not on the list after Set BPM");
        simulator_.Char(WXK_F1);
      });
  script_.Add(
      "F1 opens the help", [this] { return opener_.opened.size() == 1; },
      [this, check] {
        check(fs::path(opener_.opened[0]).filename() == "help.html",
              "F1 opened " + opener_.opened[0]);
        // Far below the size at which the layout holds.
        frame_->SetClientSize(400, 400);
      });
  script_.Add(
      "the window keeps its smallest size", [] { return true; },
      [this, check] {
        const wxSize client = frame_->GetClientSize();
        const wxSize smallest = frame_->GetMinClientSize();
        std::printf("smallest client size: %d x %d\n", smallest.x, smallest.y);
        check(smallest.x > 400 && smallest.y > 400, "no minimum size above 400 x 400");
        check(
            client.x >= smallest.x && client.y >= smallest.y,
            "the window shrank to " + std::to_string(client.x) + " x " + std::to_string(client.y));
        const wxRect setBpm = frame_->Control(kSetBpmButton)->GetRect();
        const wxRect exit = frame_->Control(kExitButton)->GetRect();
        check(!setBpm.Intersects(exit), "Set BPM covers Exit");
        check(frame_->ListView().GetSize().y > 0, "the list has gone");
        // Rename the long name only: its new name is taken.
        MainDialog& dialog = frame_->Dialog();
        for (int row = 0; row < dialog.Tracks().RowCount(); ++row)
          dialog.OnRowSelected(row, dialog.Tracks().Row(row).fileName == longName_);
        frame_->Render();
        frame_->GetEventHandler()->QueueEvent(
            new wxCommandEvent(wxEVT_MENU, WxIdOfCommand(kRenameFilesCommand)));
      });
  script_.Add(
      "the rename failure is shown", [this] { return MessageBoxDrawn().has_value(); },
      [this, check] {
        const std::optional<wxRect> found = MessageBoxDrawn();
        if (!found) Fail("the message box has gone");
        {
          const wxRect box = *found;
          std::printf("message box: %d x %d at %d, %d\n", box.width, box.height, box.x, box.y);
          check(box.width <= 1366 && box.height <= 768, "the message box is " +
                                                            std::to_string(box.width) + " x " +
                                                            std::to_string(box.height));
          check(grab_->Save(box, out_ + "/tempyra-long-name-message.png"), "screenshot");
          // The text is there: a blank box (a text the toolkit could not
          // convert) has little more than its button's "OK" drawn in it.
          const wxImage image = grab_->Image(box);
          int dark = 0;
          for (int y = 0; y < image.GetHeight(); ++y)
            for (int x = 0; x < image.GetWidth(); ++x)
              dark += image.GetRed(x, y) + image.GetGreen(x, y) + image.GetBlue(x, y) < 300;
          std::printf("message box: %d dark pixels\n", dark);
          check(dark > 1500, "the message box shows no text");
        }
        check(fs::exists(longName_), "the long-named file was lost");
        check(frame_->Dialog().State().UpDown(kDecimalPlacesUpDown).position == 2,
              "the rename does not use two decimals");
        passed_ = true;
        simulator_.Char(WXK_RETURN);
      });
  script_.Add(
      "the message box has closed", [this] { return VisibleWindows().size() == 1; },
      [this] {
        frame_->Control(kExitButton)->SetFocus();
        frame_->Dialog().OnCommand(kExitButton);
      });
  script_.Add(
      "the window has closed", [] { return false; }, [] {}, 30);
}

}  // namespace

// The window keeps the real message box: its size on the screen is what
// is checked.
int main(int argc, char** argv) {
  return RunWindowTest(argc, argv, [](std::string beatgen, std::string grabTool, std::string out) {
    return new ChecksApp(std::move(beatgen), std::move(grabTool), std::move(out));
  });
}
