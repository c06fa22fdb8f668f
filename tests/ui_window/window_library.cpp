// tempyra-window-library: the real window with the Project menu's choices
// for large libraries all on (run it under xvfb-run): All Audio Formats,
// Show Tags, Skip Tagged Files, Use All Cores and Precise Tempo. A folder made at test
// time holds an MP3 file, a WAV file, a FLAC file (ffmpeg makes it) and an
// MP3 file whose ID3v2 tag says 90 (lame writes it). Checked: the list has
// the "Tag" column with the tag's tempo; a run analyses the FLAC and WAV
// files too and takes the tagged file's tempo from its tag; a right click
// on a row opens the row menu, whose first item doubles the row's tempo;
// the context-menu key opens it too. A screenshot of the window with the
// menu open is saved for a person to look at.
//
//   tempyra-window-library TEMPYRA_BEATGEN SCREEN_GRAB OUT_DIR
#include <wx/app.h>
#include <wx/init.h>
#include <wx/uiaction.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "tests/ui_window/window_test_support.h"
#include "ui/bpm_text.h"
#include "ui/dialog_ids.h"
#include "ui/wx/command_ids.h"
#include "ui/wx/main_frame.h"
#include "ui/wx/track_list_view.h"

namespace fs = std::filesystem;

namespace {

class LibraryApp : public WindowTestApp {
 public:
  LibraryApp(std::string beatgen, std::string grabTool, std::string out)
      : WindowTestApp("tempyra-window-library", std::move(beatgen), std::move(grabTool),
                      std::move(out)) {}

 private:
  void MakeMusic() override;
  MainFrame* OpenWindow(FrameServiceOverrides overrides) override;
  void Script() override;
  const TrackList& Tracks() { return frame_->Dialog().Tracks(); }
  void RightClickRow(int row);

  int menusOpened_ = 0;
};

void LibraryApp::MakeMusic() {
  fs::create_directories(music_ + "/sub");
  const std::string beats120 = MakeBeats("b120.wav", 22050);
  Encode(beats120, music_ + "/beats120.mp3");
  Encode(MakeBeats("b90.wav", 29400), music_ + "/sub/tagged90.mp3", "--tv TBPM=90");
  Run("ffmpeg -loglevel error -i '" + beats120 + "' '" + music_ + "/loop120.flac'");
  fs::copy_file(beats120, music_ + "/click120.wav");
}

// The window opens on no folder, with every choice for large libraries
// on; the first step lists the folder.
MainFrame* LibraryApp::OpenWindow(FrameServiceOverrides overrides) {
  auto* frame = new MainFrame(std::nullopt, overrides);
  frame->SetSize(wxSize(900, 560));
  frame->Show();
  frame->ListView().Bind(wxEVT_MENU_OPEN, [this](wxMenuEvent& event) {
    ++menusOpened_;
    event.Skip();
  });
  frame_ = frame;
  for (int command : {kAllFormatsCommand, kShowTagsCommand, kSkipTaggedCommand,
                      kPreciseTempoCommand, kUseAllCoresCommand})
    Choose(command);
  return frame;
}

void LibraryApp::RightClickRow(int row) {
  TrackListView& list = frame_->ListView();
  wxRect rect;
  if (!list.GetItemRect(row, rect)) Fail("no rectangle for row " + std::to_string(row));
  simulator_.MouseMove(
      list.ClientToScreen(wxPoint(rect.x + rect.width / 4, rect.y + rect.height / 2)));
  simulator_.MouseClick(wxMOUSE_BTN_RIGHT);
}

void LibraryApp::Script() {
  auto step = [this](std::string name, std::function<bool()> ready, std::function<void()> act,
                     int timeout = 30) {
    script_.Add(std::move(name), std::move(ready), std::move(act), timeout);
  };
  const auto check = Check;
  step(
      "every choice is checked",
      [this] {
        const DialogState& state = frame_->Dialog().State();
        return frame_->IsShownOnScreen() && state.MenuChecked(kAllFormatsCommand) &&
               state.MenuChecked(kShowTagsCommand) && state.MenuChecked(kSkipTaggedCommand) &&
               state.MenuChecked(kPreciseTempoCommand) && state.MenuChecked(kUseAllCoresCommand);
      },
      [this] {
        frame_->Dialog().ListFolder(music_);
        frame_->Render();
      });
  // Rows in byte order: beats120.mp3, click120.wav, loop120.flac,
  // sub/tagged90.mp3.
  step(
      "the folder is listed with its tags",
      [this] { return Tracks().RowCount() == 4 && Tracks().Row(3).tag == "90"; },
      [this, check] {
        TrackListView& list = frame_->ListView();
        check(list.GetColumnCount() == 3, "no third column");
        wxListItem column;
        column.SetMask(wxLIST_MASK_TEXT);
        list.GetColumn(2, column);
        check(column.GetText() == "Tag", "the third column is " + column.GetText().ToStdString());
        check(list.GetItemText(3, 2) == "90",
              "the list shows " + list.GetItemText(3, 2).ToStdString());
        check(list.GetItemText(0, 2).empty(), "an untagged file shows a tag");
        check(Tracks().Row(2).fileName == music_ + "/loop120.flac", "no FLAC row");
        grab_->Save(frame_, out_ + "/tempyra-library-listed.png");
        frame_->GetEventHandler()->QueueEvent(
            new wxCommandEvent(wxEVT_MENU, WxIdOfCommand(kAnalyzeFilesCommand)));
      },
      60);
  step(
      "the run has ended",
      [this] { return save_.asked == 1 && !frame_->Dialog().AnalysisRunning(); },
      [this, check] {
        for (int row = 0; row < 3; ++row) {
          const TrackRow& values = Tracks().Row(row);
          const double bpm = ParseBpmText(values.bpm);
          check(bpm > 119.5 && bpm < 120.5, values.fileName + ": " + values.bpm);
          check(values.image == RowImage::kAnalysed || values.image == RowImage::kUnsure,
                values.fileName + " has image " + std::to_string(static_cast<int>(values.image)));
        }
        check(Tracks().Row(3).bpm == "90.00", "the tagged row shows " + Tracks().Row(3).bpm);
        check(Tracks().Row(3).image == RowImage::kFromTag, "the tagged row's image");
        RightClickRow(0);
      },
      300);
  step(
      "a right click opens the row menu", [this] { return menusOpened_ == 1; },
      [this, check] {
        check(Tracks().SelectedCount() == 1 && Tracks().Row(0).selected,
              "the clicked row is not the only one selected: " +
                  std::to_string(Tracks().SelectedCount()) + " selected, row 0 " +
                  (Tracks().Row(0).selected ? "is" : "is not"));
        wxMilliSleep(300);
        grab_->Save(frame_->GetScreenRect().Inflate(0, 40), out_ + "/tempyra-row-menu.png");
        simulator_.Char(WXK_DOWN);
        simulator_.Char(WXK_RETURN);
      });
  step(
      "Double doubled the row's tempo",
      [this] { return Tracks().Row(0).image == RowImage::kSetByHand; },
      [this, check] {
        const double bpm = ParseBpmText(Tracks().Row(0).bpm);
        check(bpm > 239.0 && bpm < 241.0, "after Double: " + Tracks().Row(0).bpm);
        frame_->ListView().SetFocus();
        simulator_.Char(WXK_MENU);
      });
  step(
      "the context-menu key opens it too", [this] { return menusOpened_ == 2; },
      [this] {
        simulator_.Char(WXK_ESCAPE);
        passed_ = true;
      });
  step(
      "the menu has closed", [this] { return true; },
      [this] {
        frame_->GetEventHandler()->QueueEvent(
            new wxCommandEvent(wxEVT_MENU, WxIdOfCommand(kExitCommand)));
      });
  step(
      "the window has closed", [] { return false; }, [] {}, 30);
}

}  // namespace

int main(int argc, char** argv) {
  return RunWindowTest(argc, argv, [](std::string beatgen, std::string grabTool, std::string out) {
    return new LibraryApp(std::move(beatgen), std::move(grabTool), std::move(out));
  });
}
