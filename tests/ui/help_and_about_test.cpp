// The help documents and what else the window hands to the desktop (a
// row's file on a double click), the About box's data and the pictures the
// program draws for it and for the desktop's icon theme.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include "tests/support/temp_folder.h"
#include "tests/ui/dialog_harness.h"
#include "ui/about_box.h"
#include "ui/about_picture.h"
#include "ui/artwork.h"
#include "ui/help_documents.h"

namespace {

void Touch(const std::string& path) {
  std::ofstream out(path);
  out << "<html></html>\n";
}

uint8_t AlphaAt(const RgbaPicture& picture, int x, int y) {
  return picture.pixels[static_cast<size_t>((y * picture.width + x) * 4 + 3)];
}

}  // namespace

TEST(HelpDocuments, TheFirstFolderThatHasTheDocumentGivesItsPath) {
  TempFolder current, installed, program;
  Touch(installed.File("help.html"));
  Touch(program.File("help.html"));
  Touch(program.File("EULA.html"));
  Touch(current.File("tutorial.html"));
  const HelpDocuments documents({current.Path(), installed.Path(), program.Path()});
  EXPECT_EQ(documents.Locate("help.html"), installed.File("help.html"));
  EXPECT_EQ(documents.Locate("EULA.html"), program.File("EULA.html"));
  EXPECT_EQ(documents.Locate("tutorial.html"), current.File("tutorial.html"));
  // Found nowhere: the current folder's name all the same.
  EXPECT_EQ(documents.Locate("missing.html"), current.File("missing.html"));
  // A folder of that name is no document.
  std::filesystem::create_directory(current.File("help.html"));
  EXPECT_EQ(documents.Locate("help.html"), installed.File("help.html"));
}

TEST(HelpDocuments, TheStandardFoldersOfAnInstalledProgram) {
  EXPECT_EQ(StandardHelpFolders("/home/dj/Music", "/usr/local/bin"),
            (std::vector<std::string>{"/home/dj/Music", "/usr/local/share/doc/tempyra",
                                      "/usr/local/bin"}));
  EXPECT_EQ(StandardHelpFolders("/home/dj", ""), (std::vector<std::string>{"/home/dj"}));
  EXPECT_EQ(HelpDocuments({"", "/a"}).Folders(), (std::vector<std::string>{"/a"}));
}

TEST(HelpMenu, TheThreeDocumentsAndF1OpenWithTheDesktop) {
  TempFolder current, installed;
  for (const char* name : {"tutorial.html", "help.html", "EULA.html"}) Touch(installed.File(name));
  DialogHarness h;
  h.helpDocuments = HelpDocuments({current.Path(), installed.Path()});
  h.dialog.OnCommand(kTutorialCommand);
  h.dialog.OnCommand(kHelpCommand);
  h.dialog.OnCommand(kEulaCommand);
  h.dialog.OnHelpRequest();
  EXPECT_EQ(h.host.opened,
            (std::vector<std::string>{installed.File("tutorial.html"), installed.File("help.html"),
                                      installed.File("EULA.html"), installed.File("help.html")}));
  EXPECT_TRUE(h.host.messages.empty());
}

TEST(HelpMenu, AMissingDocumentIsHandedOnWithoutAMessage) {
  TempFolder current;
  DialogHarness h;
  h.helpDocuments = HelpDocuments({current.Path()});
  h.dialog.OnCommand(kTutorialCommand);
  EXPECT_EQ(h.host.opened, (std::vector<std::string>{current.File("tutorial.html")}));
  EXPECT_TRUE(h.host.messages.empty());
}

TEST(RowDoubleClick, OpensTheRowsFileAndTheEmptyAreaNothing) {
  TempFolder t;
  for (const char* name : {"a.mp3", "b.wav"}) MakeFile(t.File(name));
  DialogHarness h;
  h.dialog.ListFolder(t.Path());
  h.dialog.OnRowActivated(1);
  h.dialog.OnRowActivated(-1);
  h.dialog.OnRowActivated(2);
  EXPECT_EQ(h.host.opened, (std::vector<std::string>{t.File("b.wav")}));

  // While a run goes on, also on the row under analysis; Help works too.
  h.dialog.OnCommand(kGoButton);
  ASSERT_TRUE(h.dialog.AnalysisRunning());
  ASSERT_EQ(h.dialog.CurrentRow(), 0);
  h.dialog.OnRowActivated(0);
  h.dialog.OnHelpRequest();
  ASSERT_EQ(h.host.opened.size(), 3u);
  EXPECT_EQ(h.host.opened[1], t.File("a.mp3"));
  EXPECT_EQ(h.host.opened[2], "help.html");  // no folders: the bare name
}

TEST(AboutBox, OpensFromTheHelpMenuAlsoDuringARun) {
  TempFolder t;
  MakeFile(t.File("a.mp3"));
  DialogHarness h;
  h.dialog.OnCommand(kAboutCommand);
  h.dialog.ListFolder(t.Path());
  h.dialog.OnCommand(kGoButton);
  h.dialog.OnCommand(kAboutCommand);
  EXPECT_EQ(h.host.aboutBoxes, 2);
}

TEST(AboutBox, VersionLinksAndNotice) {
  EXPECT_STREQ(kVersionText, "1.02");
  std::vector<int> links;
  int labels = 0;
  for (const AboutControlTemplate& control : AboutBoxControls()) {
    // Every control lies inside the 297 x 382 box.
    EXPECT_GE(control.rect.x, 0);
    EXPECT_LE(control.rect.x + control.rect.width, kAboutBoxWidth) << control.text;
    EXPECT_LE(control.rect.y + control.rect.height, kAboutBoxHeight) << control.text;
    if (control.kind == AboutControlKind::kLabel) ++labels;
    if (control.kind != AboutControlKind::kLink) continue;
    links.push_back(control.id);
    const std::string caption = control.text;
    // Captions carry no scheme; the address is https:// and the caption.
    EXPECT_EQ(caption.find("://"), std::string::npos) << caption;
    EXPECT_EQ(LinkAddress(caption), "https://" + caption);
  }
  EXPECT_EQ(links, (std::vector<int>{1016, 1017, 1020, 1021, 1022}));
  EXPECT_EQ(labels, 7);  // five headings, the version's label and the version
  const std::string notice = LegalNotice();
  EXPECT_GE(std::count(notice.begin(), notice.end(), '.'), 3);  // several sentences
}

TEST(AboutPicture, IsARoundedPanelWithADrawing) {
  const RgbaPicture picture = AboutPicture();
  ASSERT_EQ(picture.width, 241);
  ASSERT_EQ(picture.height, 250);
  ASSERT_EQ(picture.pixels.size(), 241u * 250u * 4u);
  // Rounded corners are transparent, the panel inside is opaque.
  EXPECT_EQ(AlphaAt(picture, 0, 0), 0);
  EXPECT_EQ(AlphaAt(picture, 240, 249), 0);
  EXPECT_EQ(AlphaAt(picture, 120, 125), 255);
  EXPECT_EQ(AlphaAt(picture, 30, 5), 255);
  // A drawing, not a plain panel: many colours.
  std::set<uint32_t> colours;
  for (size_t i = 0; i < picture.pixels.size(); i += 4)
    colours.insert(static_cast<uint32_t>(picture.pixels[i] << 16 | picture.pixels[i + 1] << 8 |
                                         picture.pixels[i + 2]));
  EXPECT_GT(colours.size(), 200u);
}

TEST(ApplicationIcon, IsDrawnAtEverySizeOfTheIconTheme) {
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    const RgbaPicture icon = ApplicationIconPicture(size);
    ASSERT_EQ(icon.width, size);
    ASSERT_EQ(icon.height, size);
    ASSERT_EQ(icon.pixels.size(), static_cast<size_t>(size * size * 4));
    // The top corners are transparent; the body's middle is opaque wood.
    EXPECT_EQ(AlphaAt(icon, 0, 0), 0) << size;
    EXPECT_EQ(AlphaAt(icon, size - 1, 0), 0) << size;
    const int x = size * 9 / 32;
    const int y = size * 20 / 32;
    EXPECT_EQ(AlphaAt(icon, x, y), 255) << size;
  }
}
