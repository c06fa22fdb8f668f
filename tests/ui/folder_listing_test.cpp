// Choosing a folder: which files become rows, their order and state, links
// and unreadable subfolders, and the CD half's handlers on fake drives.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "platform/cd_track_path.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/dialog_harness.h"
#include "ui/folder_scan.h"

namespace fs = std::filesystem;

TEST(FolderListing, TheFolderExampleGivesThreeSelectedRowsInByteOrder) {
  TempFolder t;
  const std::string m = t.File("M");
  for (const char* name : {"Song.MP3", "b.wav", "notes.txt", "x/c.mp3"}) MakeFile(m + "/" + name);
  DialogHarness h;
  h.host.folderAnswers.push_back(m);
  h.dialog.OnCommand(kBrowseButton);

  EXPECT_EQ(h.host.folderTitles, (std::vector<std::string>{"Select a folder..."}));
  const TrackList& tracks = h.dialog.Tracks();
  EXPECT_EQ(FileNames(tracks),
            (std::vector<std::string>{m + "/Song.MP3", m + "/b.wav", m + "/x/c.mp3"}));
  std::vector<int> itemData;
  for (int row = 0; row < tracks.RowCount(); ++row) {
    EXPECT_TRUE(tracks.Row(row).selected);
    EXPECT_EQ(tracks.Row(row).bpm, "");
    EXPECT_EQ(tracks.Row(row).image, RowImage::kNone);
    itemData.push_back(tracks.Row(row).itemData);
  }
  // Item data is each row's index when it was added, in walk order.
  std::sort(itemData.begin(), itemData.end());
  EXPECT_EQ(itemData, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(h.dialog.State().Control(kSourcePath).text, m);
  EXPECT_EQ(h.dialog.Source(), SourceKind::kFolder);
  // Both columns were fitted after the listing (and once at opening).
  EXPECT_EQ(h.host.fittedColumns, (std::vector<int>{0, 1, 0, 1}));
}

TEST(FolderListing, TheLastFourCharactersInLowerCaseDecide) {
  EXPECT_TRUE(IsListedAudioName("a.Mp3"));
  EXPECT_TRUE(IsListedAudioName(".wav"));
  EXPECT_TRUE(IsListedAudioName("LOUD.WAV"));
  EXPECT_FALSE(IsListedAudioName("a.mp3x"));
  EXPECT_FALSE(IsListedAudioName("mp3"));
  EXPECT_FALSE(IsListedAudioName("a.mp3.bak"));
  EXPECT_FALSE(IsListedAudioName("a.mp2"));

  TempFolder t;
  for (const char* name : {"a.Mp3", ".wav", "a.mp3x", "mp3", "x.mp3/inner.wav"})
    MakeFile(t.File(name));
  DialogHarness h;
  h.dialog.ListFolder(t.Path());
  // The folder named x.mp3 is searched, not listed.
  EXPECT_EQ(FileNames(h.dialog.Tracks()),
            (std::vector<std::string>{t.File(".wav"), t.File("a.Mp3"), t.File("x.mp3/inner.wav")}));
}

TEST(FolderListing, AFolderPathEndingInASeparatorGetsNoSecondOne) {
  TempFolder t;
  MakeFile(t.File("a.mp3"));
  DialogHarness h;
  h.dialog.ListFolder(t.Path() + "/");
  EXPECT_EQ(FileNames(h.dialog.Tracks()), (std::vector<std::string>{t.File("a.mp3")}));
}

TEST(FolderListing, ChoosingAnotherFolderReplacesTheRowsAndCancellingKeepsThem) {
  TempFolder t;
  MakeFile(t.File("one/a.mp3"));
  MakeFile(t.File("two/b.mp3"));
  MakeFile(t.File("two/c.wav"));
  DialogHarness h;
  h.host.folderAnswers = {t.File("one"), t.File("two"), std::nullopt};
  h.dialog.OnCommand(kBrowseFolderCommand);
  h.dialog.OnCommand(kBrowseFolderCommand);
  EXPECT_EQ(FileNames(h.dialog.Tracks()),
            (std::vector<std::string>{t.File("two/b.mp3"), t.File("two/c.wav")}));
  h.dialog.OnCommand(kBrowseButton);  // cancelled
  EXPECT_EQ(h.dialog.Tracks().RowCount(), 2);
  EXPECT_EQ(h.dialog.State().Control(kSourcePath).text, t.File("two"));
}

TEST(FolderListing, AMissingFolderGivesNoRowsButIsShown) {
  TempFolder t;
  MakeFile(t.File("a.mp3"));
  DialogHarness h;
  h.dialog.ListFolder(t.Path());
  h.dialog.ListFolder(t.File("gone"));
  EXPECT_EQ(h.dialog.Tracks().RowCount(), 0);
  EXPECT_EQ(h.dialog.State().Control(kSourcePath).text, t.File("gone"));
  EXPECT_EQ(h.dialog.Source(), SourceKind::kFolder);
}

TEST(FolderListing, ALinkToAParentFolderDoesNotLoopAndLinkedFoldersAreListed) {
  TempFolder t;
  MakeFile(t.File("music/a.mp3"));
  MakeFile(t.File("elsewhere/b.mp3"));
  fs::create_directory_symlink(t.File("music"), t.File("music/loop"));
  fs::create_directory_symlink(t.File("elsewhere"), t.File("music/linked"));
  DialogHarness h;
  h.dialog.ListFolder(t.File("music"));
  EXPECT_EQ(FileNames(h.dialog.Tracks()),
            (std::vector<std::string>{t.File("music/a.mp3"), t.File("music/linked/b.mp3")}));
}

// Permissions do not bind root, so the scan runs in a child process that
// gives up root first and reports the rows it found.
TEST(FolderListing, AnUnreadableSubfolderIsSkipped) {
  TempFolder t;
  chmod(t.Path().c_str(), 0755);
  MakeFile(t.File("a.mp3"));
  MakeFile(t.File("locked/hidden.mp3"));
  MakeFile(t.File("z.wav"));
  chmod(t.File("locked").c_str(), 0);

  const ChildResult scanned = RunInChild(true, [&](std::string& report) {
    TrackList tracks;
    ScanFolder(t.Path(), tracks);
    tracks.SortByFileName();
    for (const std::string& name : FileNames(tracks)) report += name + "\n";
    return true;
  });
  ASSERT_TRUE(scanned.ok);
  EXPECT_EQ(scanned.output, t.File("a.mp3") + "\n" + t.File("z.wav") + "\n");
}

// Two drives: the first holds a disc whose third track is data, the second
// one of data tracks only.
TEST(DiscListing, ChoosingADriveListsItsAudioTracksInTrackOrder) {
  DialogHarness h(false);
  h.drives.InsertDisc(h.drives.AddDrive("first drive", "/dev/sr0"), FakeDisc::ThirdTrackData());
  h.drives.InsertDisc(h.drives.AddDrive("second drive", "/dev/sr1"), FakeDisc::DataOnly());
  h.dialog.OnInitDialog();
  h.dialog.OnDriveChosen(0);
  EXPECT_EQ(h.dialog.Source(), SourceKind::kAudioCd);
  EXPECT_EQ(h.dialog.State().Control(kSourcePath).text, "first drive");
  EXPECT_EQ(FileNames(h.dialog.Tracks()),
            (std::vector<std::string>{CdTrackPath("/dev/sr0", 1), CdTrackPath("/dev/sr0", 2)}));
  EXPECT_TRUE(h.dialog.Tracks().Row(1).selected);
  EXPECT_EQ(h.dialog.Tracks().Row(1).itemData, 1);
  EXPECT_EQ(h.host.fittedColumns.size(), 2u);  // only at opening
  // The table was read in block addresses and the drive closed again.
  EXPECT_EQ(h.drives.ParmChanges(),
            (std::vector<std::pair<uint32_t, uint32_t>>{{kCdParmTrackAddressForm, 1}}));
  EXPECT_EQ(h.drives.OpenHandleCount(), 0);

  h.dialog.OnCommand(kRefreshCdCommand);
  EXPECT_EQ(h.drives.TocReads(), 2);
  EXPECT_EQ(h.dialog.Tracks().RowCount(), 2);

  // A disc of data tracks only: no rows.
  h.dialog.OnDriveChosen(1);
  EXPECT_EQ(h.dialog.State().Control(kSourcePath).text, "second drive");
  EXPECT_EQ(h.dialog.Tracks().RowCount(), 0);
  EXPECT_EQ(h.drives.OpenHandleCount(), 0);
}

// No disc, a drive that cannot be opened, a drive unplugged after the
// dialog opened: the list stays empty, no message, every handle closed.
TEST(DiscListing, DrivesThatCannotBeReadGiveNoRowsAndNoMessage) {
  DialogHarness h(false);
  const int empty = h.drives.AddDrive("empty", "/dev/sr0");
  const int locked = h.drives.AddDrive("locked", "/dev/sr1");
  const int gone = h.drives.AddDrive("gone", "/dev/sr2");
  h.drives.InsertDisc(locked, FakeDisc::Audio(3));
  h.drives.InsertDisc(gone, FakeDisc::Audio(3));
  h.drives.FailOpen(locked);
  h.dialog.OnInitDialog();
  ASSERT_EQ(h.dialog.State().driveNames.size(), 3u);
  h.drives.Unplug(gone);
  for (int entry : {empty, locked, gone}) {
    h.dialog.OnDriveChosen(entry);
    EXPECT_EQ(h.dialog.Source(), SourceKind::kAudioCd);
    EXPECT_EQ(h.dialog.Tracks().RowCount(), 0) << entry;
    h.dialog.OnCommand(kRefreshCdCommand);
    EXPECT_EQ(h.dialog.Tracks().RowCount(), 0) << entry;
  }
  EXPECT_TRUE(h.host.messages.empty());
  EXPECT_EQ(h.drives.OpenHandleCount(), 0);
}

TEST(DiscListing, RefreshWhileAFolderIsListedDoesNothing) {
  TempFolder t;
  MakeFile(t.File("a.mp3"));
  DialogHarness h(false);
  h.drives.InsertDisc(h.drives.AddDrive("drive", "/dev/sr0"), FakeDisc::Audio(1));
  h.dialog.OnInitDialog();
  h.dialog.ListFolder(t.Path());
  h.dialog.OnCommand(kRefreshCdCommand);
  EXPECT_EQ(h.drives.TocReads(), 0);
  EXPECT_EQ(h.drives.HandlesOpened(), 0);
  EXPECT_EQ(FileNames(h.dialog.Tracks()), (std::vector<std::string>{t.File("a.mp3")}));
}
