// The main dialog's template and menu tables. See dialog_template.h.
#include "ui/dialog_template.h"

#include <array>

namespace {

using K = ControlKind;

constexpr std::array kControls{
    ControlTemplate{kPromptText,
                    K::kStaticText,
                    "Browse for a source folder or choose a compact disc from the list below...",
                    {7, 7, 230, 8}},
    ControlTemplate{kSourcePath, K::kReadOnlyEdit, "", {7, 16, 241, 14}},
    ControlTemplate{kBrowseButton, K::kPushButton, "...", {252, 16, 13, 14}},
    ControlTemplate{kTrackListView, K::kListView, "", {7, 47, 258, 72}},
    ControlTemplate{kRenameRadio,
                    K::kRadioButton,
                    "Rename source file(s) to include BPM value:",
                    {7, 121, 155, 10},
                    true},
    ControlTemplate{kDuplicateRadio,
                    K::kRadioButton,
                    "Duplicate source file(s) and include BPM value:",
                    {7, 151, 165, 10}},
    ControlTemplate{
        kRenameAtBeginningRadio, K::kRadioButton, "at the beginning.", {18, 131, 69, 10}, true},
    ControlTemplate{kRenameAtEndRadio, K::kRadioButton, "at the end.", {18, 141, 50, 10}},
    ControlTemplate{
        kDuplicateAtBeginningRadio, K::kRadioButton, "at the beginning.", {18, 161, 69, 10}, true},
    ControlTemplate{kDuplicateAtEndRadio, K::kRadioButton, "at the end.", {18, 171, 50, 10}},
    ControlTemplate{kGoButton, K::kPushButton, "Go!", {7, 220, 50, 14}},
    ControlTemplate{kExitButton, K::kPushButton, "Exit", {215, 220, 50, 14}},
    ControlTemplate{kProgressBar, K::kProgressBar, "", {7, 200, 258, 6}},
    ControlTemplate{kStatusLine, K::kStaticText, "", {7, 207, 258, 8}},
    ControlTemplate{kInvertButton, K::kPushButton, "Invert Selection", {211, 120, 54, 10}},
    ControlTemplate{kDriveBox, K::kDropDownList, "", {7, 32, 258, 44}},
    ControlTemplate{kMinTempoBox, K::kCheckBox, "Min. Tempo", {183, 137, 53, 10}},
    ControlTemplate{kMinTempoUpDown, K::kUpDown, "", {256, 135, 9, 14}},
    ControlTemplate{kMaxTempoBox, K::kCheckBox, "Max. Tempo", {183, 156, 55, 10}},
    ControlTemplate{kMaxTempoUpDown, K::kUpDown, "", {256, 154, 9, 14}},
    ControlTemplate{kMinTempoValue, K::kStaticText, "30", {237, 135, 14, 14}, false, false, true},
    ControlTemplate{kMaxTempoValue, K::kStaticText, "240", {239, 154, 14, 14}, false, false, true},
    ControlTemplate{kDecimalPlacesUpDown, K::kUpDown, "", {107, 183, 9, 14}},
    ControlTemplate{kDecimalPlacesValue, K::kStaticText, "0", {97, 186, 8, 8}},
    ControlTemplate{
        kDecimalPlacesLabel, K::kStaticText, "BPM value decimal places:", {7, 186, 86, 8}},
    ControlTemplate{
        kTapButton, K::kFlatPushButton, "Tap Beat Here", {71, 220, 50, 14}, false, true},
    ControlTemplate{kSetBpmButton, K::kPushButton, "BPM = ???", {136, 220, 67, 14}, false, true},
};

constexpr std::array kFileMenu{
    MenuItemTemplate{kBrowseFolderCommand, "&Browse for folder..."},
    MenuItemTemplate{kRefreshCdCommand, "&Refresh CD..."},
    MenuItemTemplate{0, ""},
    MenuItemTemplate{kExitCommand, "E&xit"},
};
constexpr std::array kProjectMenu{
    MenuItemTemplate{kAnalyzeFilesCommand, "&Analyze Files"},
    MenuItemTemplate{kRenameFilesCommand, "&Rename Files"},
    MenuItemTemplate{kWriteTagsCommand, "Write BPM &Tags"},
    MenuItemTemplate{0, ""},
    MenuItemTemplate{kPreciseTempoCommand, "&Precise Tempo", true},
    MenuItemTemplate{kAllFormatsCommand, "All Audio &Formats", true},
    MenuItemTemplate{kShowTagsCommand, "&Show Tags", true},
    MenuItemTemplate{kSkipTaggedCommand, "S&kip Tagged Files", true},
    MenuItemTemplate{kUseAllCoresCommand, "Use All &Cores", true},
};
constexpr std::array kHelpMenu{
    MenuItemTemplate{kTutorialCommand, "&Tutorial"},
    MenuItemTemplate{kHelpCommand, "&Help"},
    MenuItemTemplate{kEulaCommand, "&EULA"},
    MenuItemTemplate{0, ""},
    MenuItemTemplate{kAboutCommand, "&About Tempyra..."},
};
constexpr std::array kMenuBar{
    MenuTemplate{"&File", kFileMenu},
    MenuTemplate{"&Project", kProjectMenu},
    MenuTemplate{"&Help", kHelpMenu},
};

}  // namespace

std::span<const ControlTemplate> MainDialogControls() {
  return kControls;
}

const ControlTemplate* FindControlTemplate(int id) {
  for (const ControlTemplate& control : kControls)
    if (control.id == id) return &control;
  return nullptr;
}

std::span<const MenuTemplate> MainMenuBar() {
  return kMenuBar;
}
