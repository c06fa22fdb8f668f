// The dialog's geometry (the resize rules at the reference scale and
// scaled), tempo text read and written as atof and printf do, the default
// extension of the save dialog, the command line, and the pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "tests/support/temp_folder.h"
#include "ui/artwork.h"
#include "ui/bpm_text.h"
#include "ui/dialog_layout.h"
#include "ui/save_file_chooser.h"
#include "ui/startup_arguments.h"

namespace {

PixelRect RectOf(const std::vector<ControlPlacement>& layout, int id) {
  auto it = std::find_if(layout.begin(), layout.end(),
                         [id](const ControlPlacement& p) { return p.id == id; });
  EXPECT_NE(it, layout.end()) << id;
  return it == layout.end() ? PixelRect{} : it->rect;
}

}  // namespace

TEST(DialogLayout, A600By500ClientAreaAtTheReferenceScale) {
  const auto layout = LayOutMainDialog(600, 500, DialogScale{});
  EXPECT_EQ(RectOf(layout, kGoButton).x, 11);
  EXPECT_EQ(RectOf(layout, kGoButton).y, 466);
  EXPECT_EQ(RectOf(layout, kTapButton).x, 155);
  EXPECT_EQ(RectOf(layout, kTapButton).y, 466);
  EXPECT_EQ(RectOf(layout, kSetBpmButton).x, 300);
  EXPECT_EQ(RectOf(layout, kExitButton).x, 515);
  EXPECT_EQ(RectOf(layout, kExitButton).y, 466);
  const PixelRect list = RectOf(layout, kTrackListView);
  EXPECT_EQ(list.width, 579);
  EXPECT_EQ(list.height, 225);
  // The list keeps its template position (7, 47 dialog units).
  EXPECT_EQ(list.x, 11);
  EXPECT_EQ(list.y, 76);
  EXPECT_EQ(RectOf(layout, kProgressBar), (PixelRect{11, 433, 579, 10}));
  EXPECT_EQ(RectOf(layout, kStatusLine), (PixelRect{11, 444, 579, 14}));
  EXPECT_EQ(RectOf(layout, kSourcePath).width, 554);
  EXPECT_EQ(RectOf(layout, kBrowseButton).x, 570);
  EXPECT_EQ(RectOf(layout, kInvertButton).x, 509);
  EXPECT_EQ(RectOf(layout, kMinTempoUpDown).y, 327);
  EXPECT_EQ(RectOf(layout, kMaxTempoValue).x, 551);
  // Moved controls keep their template size: Go! is 50 x 14 dialog units.
  EXPECT_EQ(RectOf(layout, kGoButton).width, 75);
  EXPECT_EQ(RectOf(layout, kGoButton).height, 23);
  // The prompt never moves.
  EXPECT_EQ(RectOf(layout, kPromptText), (PixelRect{11, 11, 345, 13}));
}

TEST(DialogLayout, TheDesignedSizeMatchesTheRulesAtTheReferenceScale) {
  // The rules were made for the designed size: there, each control sits
  // where the template puts it (to within a pixel of rounding).
  const PixelSize designed = DesignedClientSize(DialogScale{});
  EXPECT_EQ(designed, (PixelSize{408, 392}));
  const auto layout = LayOutMainDialog(designed.width, designed.height, DialogScale{});
  for (const ControlTemplate& control : MainDialogControls()) {
    const PixelRect expected = TemplateRectInPixels(control.rect, DialogScale{});
    const PixelRect placed = RectOf(layout, control.id);
    if (control.id == kSourcePath || control.id == kDriveBox) continue;  // heights of 23
    EXPECT_NEAR(placed.x, expected.x, 1) << control.id;
    EXPECT_NEAR(placed.y, expected.y, 1) << control.id;
    EXPECT_NEAR(placed.width, expected.width, 1) << control.id;
    EXPECT_NEAR(placed.height, expected.height, 1) << control.id;
  }
}

TEST(DialogLayout, ALargerFontScalesTheTemplateAndTheRules) {
  // The desktop font measured under Xvfb: 8 x 17 pixels.
  const DialogScale scale = DialogScale::FromFont(8.0, 17.0);
  EXPECT_NEAR(scale.across, 2.0 / 1.5, 1e-12);
  EXPECT_NEAR(scale.down, 2.125 / 1.625, 1e-12);
  const PixelSize designed = DesignedClientSize(scale);
  EXPECT_EQ(designed, (PixelSize{544, 512}));
  const auto layout = LayOutMainDialog(designed.width, designed.height, scale);
  const PixelRect go = RectOf(layout, kGoButton);
  EXPECT_EQ(go, (PixelRect{15, 512 - 44, 100, 30}));
  const PixelRect exit = RectOf(layout, kExitButton);
  EXPECT_EQ(exit.x + exit.width, 544 - 13);  // the right margin of 10 pixels, scaled
}

TEST(DialogLayout, AFontWhoseTextsRunWideWidensTheWholeDialog) {
  const DialogScale scale{2.0, 2.0};
  // "BPM value decimal places:" is 86 units wide: 258 pixels at this scale.
  EXPECT_EQ(TemplateRectInPixels(FindControlTemplate(kDecimalPlacesLabel)->rect, scale).width, 258);
  // Texts that fit change nothing.
  const DialogScale same = WidenedToFit(scale, {{kDecimalPlacesLabel, 258}, {kGoButton, 20}});
  EXPECT_EQ(same.across, 2.0);
  EXPECT_EQ(same.down, 2.0);
  // A label 12 pixels too wide widens every control across, not down: the
  // label fits, and its value (beside it at the reference scale) still
  // starts after the label ends.
  const DialogScale wider = WidenedToFit(scale, {{kDecimalPlacesLabel, 270}, {kGoButton, 20}});
  EXPECT_GT(wider.across, 2.0);
  EXPECT_EQ(wider.down, 2.0);
  const std::vector<ControlPlacement> placed = LayOutMainDialog(1000, 900, wider);
  const auto at = [&](int id) {
    return std::find_if(placed.begin(), placed.end(),
                        [id](const ControlPlacement& p) { return p.id == id; })
        ->rect;
  };
  EXPECT_GE(at(kDecimalPlacesLabel).width, 270);
  EXPECT_GE(at(kDecimalPlacesValue).x, at(kDecimalPlacesLabel).x + at(kDecimalPlacesLabel).width);
  EXPECT_GE(DesignedClientSize(wider).width, DesignedClientSize(scale).width);
  // Unknown ids and controls without width are left out.
  EXPECT_EQ(WidenedToFit(scale, {{4242, 5000}}).across, 2.0);
}

TEST(DialogLayout, ControlsAreNeverSmallerThanTheToolkitNeeds) {
  const std::map<int, PixelSize> minimum{{kInvertButton, {120, 26}}, {kTrackListView, {50, 60}}};
  const auto layout = LayOutMainDialog(600, 500, DialogScale{}, minimum);
  EXPECT_EQ(RectOf(layout, kInvertButton).width, 120);
  EXPECT_EQ(RectOf(layout, kInvertButton).height, 26);
  EXPECT_EQ(RectOf(layout, kTrackListView).height, 225);  // already larger
  // Far below the designed size nothing gets a negative size.
  const auto tiny = LayOutMainDialog(10, 10, DialogScale{}, minimum);
  EXPECT_EQ(RectOf(tiny, kTrackListView).height, 60);
  EXPECT_EQ(RectOf(tiny, kProgressBar).width, 0);
}

namespace {

// Pairs of controls whose rectangles share a pixel.
std::vector<std::pair<int, int>> Overlapping(const std::vector<ControlPlacement>& layout) {
  std::vector<std::pair<int, int>> pairs;
  for (size_t i = 0; i < layout.size(); ++i)
    for (size_t j = i + 1; j < layout.size(); ++j) {
      const PixelRect& a = layout[i].rect;
      const PixelRect& b = layout[j].rect;
      if (a.width > 0 && a.height > 0 && b.width > 0 && b.height > 0 && a.x < b.x + b.width &&
          b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height)
        pairs.emplace_back(layout[i].id, layout[j].id);
    }
  return pairs;
}

}  // namespace

TEST(DialogLayout, TheMinimumSizeIsWhereTheLayoutStopsHolding) {
  // The desktop font and the controls' sizes measured under Xvfb.
  const DialogScale scale = DialogScale::FromFont(8.0, 17.0);
  const std::map<int, PixelSize> minimum{
      {kInvertButton, {118, 30}}, {kSetBpmButton, {150, 30}}, {kTapButton, {104, 30}},
      {kGoButton, {50, 30}},      {kExitButton, {50, 30}},    {kMinTempoBox, {101, 22}},
      {kMaxTempoBox, {104, 22}},  {kRenameRadio, {313, 22}},  {kDuplicateRadio, {336, 22}}};
  const int listHeight = 60;
  const PixelSize smallest = MinimumClientSize(scale, minimum, listHeight);
  const PixelSize designed = DesignedClientSize(scale);
  EXPECT_LE(smallest.width, designed.width);
  EXPECT_LE(smallest.height, designed.height);
  // The overlap reported at 400 x 400 (Set BPM over Exit, no list) is ruled out.
  EXPECT_GT(smallest.width, 400);
  EXPECT_GT(smallest.height, 400);

  const auto at = [&](int width, int height) {
    return LayOutMainDialog(width, height, scale, minimum);
  };
  const auto accepted = Overlapping(at(designed.width, designed.height));
  const auto fits = [&](int width, int height) {
    const auto layout = at(width, height);
    if (RectOf(layout, kTrackListView).height < listHeight) return false;
    for (const ControlPlacement& placement : layout) {
      const PixelRect& r = placement.rect;
      if (r.x < 0 || r.y < 0 || r.x + r.width > width || r.y + r.height > height) return false;
    }
    for (const auto& pair : Overlapping(layout))
      if (std::find(accepted.begin(), accepted.end(), pair) == accepted.end()) return false;
    return true;
  };
  EXPECT_TRUE(fits(smallest.width, smallest.height));
  EXPECT_TRUE(fits(designed.width, designed.height));
  // One pixel less either way and it no longer holds.
  EXPECT_FALSE(fits(smallest.width - 1, designed.height));
  EXPECT_FALSE(fits(designed.width, smallest.height - 1));
  // Set BPM ends before Exit begins, and the list is there.
  const auto layout = at(smallest.width, smallest.height);
  EXPECT_LE(RectOf(layout, kSetBpmButton).x + RectOf(layout, kSetBpmButton).width,
            RectOf(layout, kExitButton).x);
  EXPECT_GE(RectOf(layout, kTrackListView).height, listHeight);
}

TEST(BpmText, ReadsAsAtofReads) {
  EXPECT_EQ(ParseBpmText(""), 0.0);
  EXPECT_EQ(ParseBpmText("127.86"), 127.86);
  EXPECT_EQ(ParseBpmText("  \t+120.5 BPM"), 120.5);
  EXPECT_EQ(ParseBpmText("-3"), -3.0);
  EXPECT_EQ(ParseBpmText("1e2x"), 100.0);
  EXPECT_EQ(ParseBpmText(".5"), 0.5);
  EXPECT_EQ(ParseBpmText("abc"), 0.0);
  EXPECT_EQ(ParseBpmText("0x10"), 16.0);
  EXPECT_EQ(ParseBpmText("0xg"), 0.0);  // "0" then a letter
  EXPECT_TRUE(std::isinf(ParseBpmText("1e999")));
  EXPECT_EQ(ParseBpmText("1e-999"), 0.0);
  EXPECT_TRUE(std::isnan(ParseBpmText("nan")));
}

TEST(BpmText, WritesFixedPointAsPrintfDoes) {
  EXPECT_EQ(FormatFixed(127.856, 2), "127.86");
  EXPECT_EQ(FormatFixed(127.856, 1), "127.9");
  EXPECT_EQ(FormatFixed(127.5, 0), "128");
  EXPECT_EQ(FormatFixed(126.5, 0), "126");  // ties to even, as glibc's printf
  EXPECT_EQ(FormatFixed(0.0, 2), "0.00");
  EXPECT_EQ(FormatFixed(70.0, 2), "70.00");
  EXPECT_EQ(FormatFixed(1e20, 2), "100000000000000000000.00");
}

TEST(SaveFileChooser, TheDefaultExtensionIsAddedOnlyToANameWithoutOne) {
  EXPECT_EQ(AddDefaultExtension("/tmp/bpmlog", "txt"), "/tmp/bpmlog.txt");
  EXPECT_EQ(AddDefaultExtension("/tmp/bpmlog.txt", "txt"), "/tmp/bpmlog.txt");
  EXPECT_EQ(AddDefaultExtension("/tmp/run.log", "txt"), "/tmp/run.log");
  EXPECT_EQ(AddDefaultExtension("/tmp.d/bpmlog", "txt"), "/tmp.d/bpmlog.txt");
  EXPECT_EQ(AddDefaultExtension("log", "txt"), "log.txt");
}

TEST(StartupArguments, AFolderOrNothingElseAnErrorLine) {
  TempFolder t;
  StartupArguments empty = ParseStartupArguments({"tempyra"});
  EXPECT_FALSE(empty.folder);
  EXPECT_EQ(empty.error, "");

  const std::string withSlash = t.Path() + "/./";
  StartupArguments listed = ParseStartupArguments({"tempyra", withSlash});
  EXPECT_EQ(listed.folder, t.Path());
  EXPECT_EQ(listed.error, "");

  const std::vector<std::string> two = {"tempyra", t.Path(), t.Path()};
  EXPECT_NE(ParseStartupArguments(two).error, "");
  EXPECT_FALSE(ParseStartupArguments(two).folder);

  const std::string missing = t.File("missing");
  const StartupArguments bad = ParseStartupArguments({"tempyra", missing});
  EXPECT_FALSE(bad.folder);
  EXPECT_NE(bad.error.find(missing), std::string::npos);
  EXPECT_EQ(bad.error.find('\n'), std::string::npos);  // one line
}

TEST(StartupArguments, DoubleDashEndsTheOptions) {
  TempFolder t;
  const std::string dashed = t.File("-Sets");
  const std::string versionNamed = t.File("--version");
  std::filesystem::create_directory(dashed);
  std::filesystem::create_directory(versionNamed);

  const std::vector<std::string> plain = {"tempyra", "--", t.Path()};
  const StartupArguments listed = ParseStartupArguments(plain);
  EXPECT_EQ(listed.error, "");
  EXPECT_EQ(listed.folder, t.Path());

  // After "--" a name that looks like an option is a folder.
  const std::vector<std::string> dash = {"tempyra", "--", dashed};
  EXPECT_EQ(ParseStartupArguments(dash).folder, dashed);
  const std::vector<std::string> version = {"tempyra", "--", versionNamed};
  const StartupArguments notVersion = ParseStartupArguments(version);
  EXPECT_FALSE(notVersion.showVersion);
  EXPECT_EQ(notVersion.folder, versionNamed);

  // "--" alone opens the window empty; a second "--" is a folder name.
  const std::vector<std::string> alone = {"tempyra", "--"};
  const StartupArguments empty = ParseStartupArguments(alone);
  EXPECT_EQ(empty.error, "");
  EXPECT_FALSE(empty.folder);
  const std::vector<std::string> twice = {"tempyra", "--", "--"};
  EXPECT_NE(ParseStartupArguments(twice).error.find("--: not a folder"), std::string::npos);

  // Without "--", a dash starts an option, and only --version is one.
  const std::vector<std::string> unknown = {"tempyra", "-Sets"};
  const StartupArguments refused = ParseStartupArguments(unknown);
  EXPECT_FALSE(refused.folder);
  EXPECT_NE(refused.error.find("-Sets: unknown option"), std::string::npos);
  const std::vector<std::string> versionAndFolder = {"tempyra", "--version", t.Path()};
  EXPECT_FALSE(ParseStartupArguments(versionAndFolder).showVersion);
  EXPECT_NE(ParseStartupArguments(versionAndFolder).error, "");
  const std::vector<std::string> twoFolders = {"tempyra", "--", t.Path(), "x"};
  EXPECT_NE(ParseStartupArguments(twoFolders).error.find("too many"), std::string::npos);
}

TEST(Artwork, AnEnlargedPictureMakesEachPixelASquare) {
  const RgbaPicture tick = RowImagePicture(RowImage::kAnalysed);
  const RgbaPicture large = Enlarged(tick, 3);
  ASSERT_EQ(large.width, 48);
  ASSERT_EQ(large.height, 48);
  ASSERT_EQ(large.pixels.size(), 48u * 48u * 4u);
  const auto pixel = [](const RgbaPicture& p, int x, int y) {
    const auto at = p.pixels.begin() + (y * p.width + x) * 4;
    return std::vector<uint8_t>(at, at + 4);
  };
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 48; ++x)
      ASSERT_EQ(pixel(large, x, y), pixel(tick, x / 3, y / 3)) << x << ", " << y;
  EXPECT_EQ(Enlarged(tick, 1).pixels, tick.pixels);
  EXPECT_EQ(Enlarged(tick, 0).width, 16);
}

TEST(Artwork, PicturesHaveTheirSizesAndShapes) {
  for (RowImage image : {RowImage::kNone, RowImage::kAnalysed, RowImage::kFailed,
                         RowImage::kSetByHand, RowImage::kFromTag, RowImage::kUnsure}) {
    const RgbaPicture picture = RowImagePicture(image);
    ASSERT_EQ(picture.width, 16);
    ASSERT_EQ(picture.height, 16);
    ASSERT_EQ(picture.pixels.size(), 16u * 16u * 4u);
    int opaque = 0;
    for (size_t i = 3; i < picture.pixels.size(); i += 4) opaque += picture.pixels[i] == 255;
    if (image == RowImage::kNone)
      EXPECT_EQ(opaque, 0);
    else
      EXPECT_TRUE(opaque > 20 && opaque < 200) << static_cast<int>(image);
  }
  const RgbaPicture icon = ApplicationIconPicture();
  ASSERT_EQ(icon.width, 32);
  ASSERT_EQ(icon.pixels.size(), 32u * 32u * 4u);
  // The corners are transparent, the middle of the body is not.
  EXPECT_EQ(icon.pixels[3], 0);
  EXPECT_EQ(icon.pixels[(20 * 32 + 8) * 4 + 3], 255);
}
