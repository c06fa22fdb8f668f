// Listing a folder in the background: the walk on a worker gives the same
// paths as the listing at once, counts what it finds, and a scan cancelled
// or replaced hands nothing over; the dialog keeps its list empty and the
// run-sensitive controls disabled until the paths come, then fills the
// list once, sorted. Run under ThreadSanitizer too.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"
#include "tests/ui/dialog_harness.h"
#include "ui/background_folder_scan.h"
#include "ui/folder_scan.h"
#include "ui/memory/memory_message_queue.h"

namespace {

constexpr std::chrono::seconds kPatience(60);

// A tree of `folders` folders with `perFolder` MP3 files each, and a text
// file in each that is not listed.
void MakeTree(const std::string& root, int folders, int perFolder) {
  for (int f = 0; f < folders; ++f) {
    const std::string folder = root + "/f" + std::to_string(f);
    for (int i = 0; i < perFolder; ++i) MakeFile(folder + "/t" + std::to_string(i) + ".mp3");
    MakeFile(folder + "/notes.txt");
  }
}

}  // namespace

TEST(BackgroundFolderScan, GivesWhatTheListingAtOnceGives) {
  TempFolder t;
  MakeTree(t.Path(), 20, 15);
  MemoryMessageQueue queue;
  BackgroundFolderScan scan(queue);
  const uintptr_t number = scan.Start(t.Path());
  EXPECT_TRUE(scan.Running());

  PostedMessage message{};
  ASSERT_TRUE(queue.Take(message, kPatience));
  EXPECT_EQ(message.message, BackgroundFolderScan::kFolderScanned);
  EXPECT_EQ(message.wParam, number);
  std::optional<std::vector<std::string>> paths = scan.TakeResult(message.wParam);
  ASSERT_TRUE(paths);
  EXPECT_EQ(*paths, ScanFolderPaths(t.Path()));
  EXPECT_EQ(paths->size(), 300u);
  EXPECT_EQ(scan.Found(), 300);
  EXPECT_FALSE(scan.Running());
  // The result is handed over once.
  EXPECT_FALSE(scan.TakeResult(number));
}

TEST(BackgroundFolderScan, ACancelledOrReplacedScanHandsNothingOver) {
  TempFolder t;
  MakeTree(t.File("big"), 200, 10);
  MakeTree(t.File("small"), 1, 3);
  MemoryMessageQueue queue;
  BackgroundFolderScan scan(queue);

  const uintptr_t first = scan.Start(t.File("big"));
  scan.Cancel();
  EXPECT_FALSE(scan.Running());
  EXPECT_FALSE(scan.TakeResult(first));

  // A new scan replaces one still running; only its own message counts.
  const uintptr_t second = scan.Start(t.File("big"));
  const uintptr_t third = scan.Start(t.File("small"));
  EXPECT_NE(second, third);
  std::optional<std::vector<std::string>> paths;
  PostedMessage message{};
  while (!paths && queue.Take(message, kPatience)) {
    ASSERT_EQ(message.message, BackgroundFolderScan::kFolderScanned);
    paths = scan.TakeResult(message.wParam);
    if (!paths) {
      EXPECT_NE(message.wParam, third);
    }
  }
  ASSERT_TRUE(paths);
  EXPECT_EQ(*paths, ScanFolderPaths(t.File("small")));
}

TEST(BackgroundFolderScan, AStopRequestEndsTheWalkAtTheNextEntry) {
  TempFolder t;
  MakeTree(t.Path(), 5, 4);
  std::atomic<bool> stop{true};
  std::atomic<int> found{0};
  EXPECT_TRUE(ScanFolderPaths(t.Path(), &stop, &found).empty());
  EXPECT_EQ(found.load(), 0);
  stop = false;
  EXPECT_EQ(ScanFolderPaths(t.Path(), &stop, &found).size(), 20u);
  EXPECT_EQ(found.load(), 20);
}

TEST(BackgroundListing, TheListStaysEmptyAndTheControlsOffUntilThePathsCome) {
  TempFolder t;
  DialogHarness h;
  h.host.listInBackground = true;
  h.host.folderAnswers.push_back(t.Path());
  h.dialog.OnCommand(kBrowseButton);

  EXPECT_EQ(h.host.backgroundListings, (std::vector<std::string>{t.Path()}));
  EXPECT_TRUE(h.dialog.Listing());
  EXPECT_EQ(h.dialog.Tracks().RowCount(), 0);
  EXPECT_EQ(h.dialog.State().Control(kSourcePath).text, t.Path());
  EXPECT_EQ(h.dialog.Source(), SourceKind::kFolder);
  for (int id : {kGoButton, kBrowseButton, kDriveBox, kMinTempoUpDown})
    EXPECT_FALSE(h.dialog.State().Control(id).enabled) << id;
  EXPECT_FALSE(h.dialog.State().MenuEnabled(kAnalyzeFilesCommand));
  EXPECT_EQ(h.dialog.State().Control(kStatusLine).text,
            "Listing the folder: 0 files found so far...");
  // Go! cannot start a run on a half-listed folder; Exit still works.
  h.dialog.OnCommand(kGoButton);
  EXPECT_FALSE(h.dialog.AnalysisRunning());
  EXPECT_TRUE(h.host.messages.empty());

  h.dialog.OnListingProgress(1);
  EXPECT_EQ(h.dialog.State().Control(kStatusLine).text,
            "Listing the folder: 1 file found so far...");
  h.dialog.OnListingProgress(12345);
  EXPECT_EQ(h.dialog.State().Control(kStatusLine).text,
            "Listing the folder: 12345 files found so far...");

  const size_t fittedBefore = h.host.fittedColumns.size();
  h.dialog.FinishListing({t.File("b.mp3"), t.File("A.wav"), t.File("a.mp3")});
  EXPECT_FALSE(h.dialog.Listing());
  EXPECT_EQ(FileNames(h.dialog.Tracks()),
            (std::vector<std::string>{t.File("A.wav"), t.File("a.mp3"), t.File("b.mp3")}));
  EXPECT_EQ(h.dialog.Tracks().SelectedCount(), 3);
  EXPECT_EQ(h.dialog.State().Control(kStatusLine).text, "");
  for (int id : {kGoButton, kBrowseButton, kDriveBox, kMinTempoUpDown})
    EXPECT_TRUE(h.dialog.State().Control(id).enabled) << id;
  EXPECT_TRUE(h.dialog.State().MenuEnabled(kAnalyzeFilesCommand));
  EXPECT_EQ(h.host.fittedColumns.size(), fittedBefore + 2);
  // A late count changes nothing.
  h.dialog.OnListingProgress(7);
  EXPECT_EQ(h.dialog.State().Control(kStatusLine).text, "");

  h.dialog.OnCommand(kExitButton);
  EXPECT_EQ(h.host.endDialogCalls, 1);
}
