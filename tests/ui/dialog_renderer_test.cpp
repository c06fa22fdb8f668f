// The rendering every view shares: the first Render tells a view every
// control, the next ones only what changed, in a fixed order; the progress
// bar's byte counts brought into int; the list's column titles and widths.
#include "ui/dialog_renderer.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "ui/track_list_columns.h"

namespace {

// Records every call as one line of text.
class RecordingView : public DialogView {
 public:
  void ShowText(const ControlTemplate& control, const std::string& text) override {
    calls.push_back("text " + std::to_string(control.id) + " " + text);
  }
  void ShowChecked(const ControlTemplate& control, bool checked) override {
    calls.push_back("checked " + std::to_string(control.id) + " " + std::to_string(checked));
  }
  void ShowEnabled(const ControlTemplate& control, bool enabled) override {
    calls.push_back("enabled " + std::to_string(control.id) + " " + std::to_string(enabled));
  }
  void ShowProgress(int position, int upper) override {
    calls.push_back("progress " + std::to_string(position) + "/" + std::to_string(upper));
  }
  void ShowDriveNames(const std::vector<std::string>& names) override {
    std::string line = "drives";
    for (const std::string& name : names) line += " " + name;
    calls.push_back(line);
  }
  void ShowDriveSelection(int selection) override {
    calls.push_back("selection " + std::to_string(selection));
  }
  void ShowMenuEnabled(int command, bool enabled) override {
    calls.push_back("menu " + std::to_string(command) + " " + std::to_string(enabled));
  }
  void ShowMenuChecked(int command, bool checked) override {
    calls.push_back("menu check " + std::to_string(command) + " " + std::to_string(checked));
  }

  std::vector<std::string> Take() { return std::exchange(calls, {}); }

  std::vector<std::string> calls;
};

int CountStarting(const std::vector<std::string>& calls, const std::string& prefix) {
  int count = 0;
  for (const std::string& call : calls) count += call.rfind(prefix, 0) == 0 ? 1 : 0;
  return count;
}

TEST(DialogRenderer, AMenuItemLeftOutOfTheMenuIsNeverShown) {
  DialogState state;
  state.SetMenuShown(kAllFormatsCommand, false);
  RecordingView view;
  DialogRenderer renderer(view);
  renderer.Render(state);
  state.SetMenuEnabled(kAllFormatsCommand, false);
  state.SetMenuChecked(kAllFormatsCommand, true);
  renderer.Render(state);
  const std::string command = std::to_string(kAllFormatsCommand);
  for (const std::string& call : view.calls)
    EXPECT_EQ(call.find(command), std::string::npos) << call;
  EXPECT_GT(CountStarting(view.calls, "menu " + std::to_string(kShowTagsCommand)), 0);
}

TEST(DialogRenderer, FirstRenderShowsEverythingOnceThenNothingUntilAChange) {
  DialogState state;
  RecordingView view;
  DialogRenderer renderer(view);
  renderer.Render(state);
  const std::vector<std::string> first = view.Take();

  int texts = 0;
  int checks = 0;
  int controls = 0;
  for (const ControlTemplate& control : MainDialogControls()) {
    if (control.id == kPromptText) continue;
    ++controls;
    const bool checkable =
        control.kind == ControlKind::kRadioButton || control.kind == ControlKind::kCheckBox;
    const bool textual = checkable || control.kind == ControlKind::kStaticText ||
                         control.kind == ControlKind::kReadOnlyEdit ||
                         control.kind == ControlKind::kPushButton ||
                         control.kind == ControlKind::kFlatPushButton;
    texts += textual ? 1 : 0;
    checks += checkable ? 1 : 0;
  }
  int menuItems = 0;
  int checkableItems = 0;
  for (const MenuTemplate& menu : MainMenuBar())
    for (const MenuItemTemplate& item : menu.items) {
      menuItems += item.command != 0 ? 1 : 0;
      checkableItems += item.checkable ? 1 : 0;
    }
  EXPECT_EQ(CountStarting(first, "text "), texts);
  EXPECT_EQ(CountStarting(first, "checked "), checks);
  EXPECT_EQ(CountStarting(first, "enabled "), controls);
  EXPECT_EQ(CountStarting(first, "progress "), 1);
  EXPECT_EQ(CountStarting(first, "drives"), 1);
  EXPECT_EQ(CountStarting(first, "selection "), 1);
  EXPECT_EQ(CountStarting(first, "menu check "), checkableItems);
  EXPECT_EQ(CountStarting(first, "menu "), menuItems + checkableItems);
  // The prompt's text is the template's; no state of its own.
  EXPECT_EQ(CountStarting(first, "text -1"), 0);
  // The control's own texts, in template order: the path's edit first.
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first.front().rfind("text 1000", 0), 0u) << first.front();

  renderer.Render(state);
  EXPECT_TRUE(view.Take().empty());
}

TEST(DialogRenderer, TellsOnlyWhatChanged) {
  DialogState state;
  RecordingView view;
  DialogRenderer renderer(view);
  renderer.Render(state);
  view.Take();

  state.Control(kStatusLine).text = "Analyzing";
  state.Control(kGoButton).enabled = false;
  state.Control(kDuplicateRadio).checked = !state.Control(kDuplicateRadio).checked;
  state.SetMenuEnabled(kRenameFilesCommand, false);
  state.SetMenuChecked(kPreciseTempoCommand, !state.MenuChecked(kPreciseTempoCommand));
  state.progressBar = {200, 50};
  renderer.Render(state);
  EXPECT_EQ(view.Take(),
            (std::vector<std::string>{
                "checked 1005 " + std::to_string(state.Control(kDuplicateRadio).checked),
                "enabled 1011 0",
                "text 1024 Analyzing",
                "progress 50/200",
                "menu 32778 0",
                "menu check 32782 " + std::to_string(state.MenuChecked(kPreciseTempoCommand)),
            }));
}

TEST(DialogRenderer, NewDriveListGetsItsSelectionAgain) {
  DialogState state;
  state.driveNames = {"D:"};
  state.driveSelection = 0;
  RecordingView view;
  DialogRenderer renderer(view);
  renderer.Render(state);
  view.Take();

  state.driveNames = {"D:", "E:"};
  renderer.Render(state);
  EXPECT_EQ(view.Take(), (std::vector<std::string>{"drives D: E:", "selection 0"}));
  state.driveSelection = 1;
  renderer.Render(state);
  EXPECT_EQ(view.Take(), (std::vector<std::string>{"selection 1"}));
}

TEST(DialogRenderer, ForgottenPartsAreToldAgain) {
  DialogState state;
  RecordingView view;
  DialogRenderer renderer(view);
  renderer.Render(state);
  const size_t everything = view.Take().size();

  renderer.ForgetMenuChecks();
  renderer.Render(state);
  const std::vector<std::string> checks = view.Take();
  ASSERT_FALSE(checks.empty());
  for (const std::string& call : checks) EXPECT_EQ(call.rfind("menu check ", 0), 0u) << call;

  renderer.ForgetAll();
  renderer.Render(state);
  EXPECT_EQ(view.Take().size(), everything);
}

TEST(ProgressInIntRange, KeepsTheFilledShareOfLargeCountsAndClamps) {
  EXPECT_EQ(ProgressInIntRange({100, 40}), (IntProgress{40, 100}));
  EXPECT_EQ(ProgressInIntRange({0, 5}), (IntProgress{0, 0}));
  EXPECT_EQ(ProgressInIntRange({-3, 5}), (IntProgress{0, 0}));
  EXPECT_EQ(ProgressInIntRange({100, -5}), (IntProgress{0, 100}));
  EXPECT_EQ(ProgressInIntRange({100, 500}), (IntProgress{100, 100}));

  // Eight gigabytes, three quarters done.
  const int64_t upper = int64_t{8} << 30;
  const IntProgress large = ProgressInIntRange({upper, upper / 4 * 3});
  EXPECT_LE(large.upper, INT_MAX);
  EXPECT_GT(large.upper, INT_MAX / 2);
  EXPECT_EQ(large.position, large.upper / 4 * 3);
  const IntProgress full = ProgressInIntRange({int64_t{INT_MAX} + 1, int64_t{INT_MAX} + 1});
  EXPECT_EQ(full.position, full.upper);
}

TEST(TrackListColumns, TitlesAndRoomBesideTheWidestTextGrowWithTheScreen) {
  EXPECT_STREQ(TrackListColumnTitle(0), "BPM");
  EXPECT_STREQ(TrackListColumnTitle(1), "FileName");
  // 100 %: margins of 7 pixels each side, and a 16-pixel image with its gap.
  EXPECT_EQ(TrackListColumnWidth(1, 100), 114);
  EXPECT_EQ(TrackListColumnWidth(0, 40), 40 + 14 + 22);
  EXPECT_EQ(TrackListColumnWidth(1, 100, 144), 121);
  EXPECT_EQ(TrackListColumnWidth(0, 40, 144), 40 + 21 + 33);
  EXPECT_EQ(TrackListColumnWidth(0, 80, 192), 80 + 28 + 44);
  // An unknown screen is taken as 100 %.
  EXPECT_EQ(TrackListColumnWidth(1, 10, 0), 24);
}

}  // namespace
