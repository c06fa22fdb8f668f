// What the dialog does differently from one system to another, decided by
// the platform value it is given: both systems' behaviour, tested here.
#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"
#include "tests/ui/dialog_harness.h"

namespace {

WindowPlatform Platform(bool decodesEveryFormat, CdTrackNames names) {
  WindowPlatform platform;
  platform.decodesEveryFormat = decodesEveryFormat;
  platform.cdTrackNames = names;
  return platform;
}

}  // namespace

TEST(WindowPlatform, WithoutTheDecodersAllAudioFormatsIsNotOfferedAndDoesNothing) {
  TempFolder folder;
  for (const char* name : {"a.mp3", "b.flac", "c.wav"}) MakeFile(folder.File(name));
  DialogHarness h(true, nullptr, Platform(false, CdTrackNames::kDriveLetterFiles));
  EXPECT_FALSE(h.dialog.State().MenuShown(kAllFormatsCommand));
  // The other choices stay.
  for (int command :
       {kPreciseTempoCommand, kShowTagsCommand, kSkipTaggedCommand, kUseAllCoresCommand})
    EXPECT_TRUE(h.dialog.State().MenuShown(command)) << command;
  // A command for the missing item (a stale accelerator, another program's
  // message) changes nothing.
  h.dialog.OnCommand(kAllFormatsCommand);
  EXPECT_FALSE(h.dialog.State().MenuChecked(kAllFormatsCommand));
  h.dialog.ListFolder(folder.Path());
  EXPECT_EQ(FileNames(h.dialog.Tracks()),
            (std::vector<std::string>{folder.File("a.mp3"), folder.File("c.wav")}));
  h.host.saveAnswers.clear();
  h.dialog.OnCommand(kGoButton);
  EXPECT_FALSE(h.analysis.everyFormat);
}

TEST(WindowPlatform, WithTheDecodersAllAudioFormatsIsOfferedAndTakesEffect) {
  TempFolder folder;
  for (const char* name : {"a.mp3", "b.flac", "c.wav"}) MakeFile(folder.File(name));
  DialogHarness h(true, nullptr, Platform(true, CdTrackNames::kDesktopLocations));
  EXPECT_TRUE(h.dialog.State().MenuShown(kAllFormatsCommand));
  h.dialog.OnCommand(kAllFormatsCommand);
  EXPECT_TRUE(h.dialog.State().MenuChecked(kAllFormatsCommand));
  h.dialog.ListFolder(folder.Path());
  EXPECT_EQ(h.dialog.Tracks().RowCount(), 3);
}

TEST(WindowPlatform, DiscTracksAreTheDesktopsLocationsOnADesktopSystem) {
  DialogHarness h(false, nullptr, Platform(true, CdTrackNames::kDesktopLocations));
  h.drives.InsertDisc(h.drives.AddDrive("first drive", "/dev/sr0"), FakeDisc::ThirdTrackData());
  h.dialog.OnInitDialog();
  h.dialog.OnDriveChosen(0);
  EXPECT_EQ(FileNames(h.dialog.Tracks()),
            (std::vector<std::string>{"cdda://sr0/Track%201.wav", "cdda://sr0/Track%202.wav"}));
}

TEST(WindowPlatform, DiscTracksAreTheDriveLettersCdaFilesWhereDrivesHaveLetters) {
  DialogHarness h(false, nullptr, Platform(false, CdTrackNames::kDriveLetterFiles));
  h.drives.InsertDisc(h.drives.AddDrive("first drive", "E:"), FakeDisc::ThirdTrackData());
  h.dialog.OnInitDialog();
  h.dialog.OnDriveChosen(0);
  EXPECT_EQ(FileNames(h.dialog.Tracks()),
            (std::vector<std::string>{"E:\\Track01.cda", "E:\\Track02.cda"}));
  // Such rows are passed over by a run, as every row of a disc.
  h.host.saveAnswers.clear();
  h.dialog.OnCommand(kGoButton);
  EXPECT_TRUE(h.analysis.started.empty());
  EXPECT_FALSE(h.dialog.AnalysisRunning());
}

TEST(WindowPlatform, WithoutALetterTheDriveIsCountedFromCByItsHostAdapter) {
  DialogHarness h(false, nullptr, Platform(false, CdTrackNames::kDriveLetterFiles));
  h.drives.InsertDisc(h.drives.AddDrive("first drive", "/dev/sr0"), FakeDisc::Audio(1));
  h.drives.InsertDisc(h.drives.AddDrive("second drive", "/dev/sr1"), FakeDisc::Audio(3));
  h.dialog.OnInitDialog();
  h.dialog.OnDriveChosen(0);
  EXPECT_EQ(FileNames(h.dialog.Tracks()), (std::vector<std::string>{"C:\\Track01.cda"}));
  h.dialog.OnDriveChosen(1);
  EXPECT_EQ(FileNames(h.dialog.Tracks()),
            (std::vector<std::string>{"D:\\Track01.cda", "D:\\Track02.cda", "D:\\Track03.cda"}));
}
