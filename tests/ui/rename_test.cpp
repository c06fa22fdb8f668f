// Renaming and copying the selected tracks with their tempo in the name:
// the names built, the dialog's choices and messages with file operations
// in memory, and the same on real files in a temporary folder, where
// nothing the user had may be lost or damaged whatever fails.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/dialog_harness.h"
#include "ui/disk_file_operations.h"
#include "ui/rename_with_bpm.h"

namespace fs = std::filesystem;

namespace {

void Write(const std::string& path, const std::string& content) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The names in a folder (not its subfolders' contents), sorted.
std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> MessageTexts(const MemoryDialogHost& host) {
  std::vector<std::string> texts;
  for (const ShownMessage& message : host.messages) {
    EXPECT_EQ(message.caption, "Tempyra");
    texts.push_back(message.text);
  }
  return texts;
}

// The dialog over files in memory: rows /m/a.mp3 ... with the given BPM
// texts, all selected.
struct MemoryRename {
  explicit MemoryRename(std::initializer_list<std::pair<const char*, const char*>> rows) {
    for (const auto& [name, bpm] : rows) MakeFile(folder.File(name));
    h.dialog.ListFolder(folder.Path());
    int row = 0;
    for (const auto& [name, bpm] : rows) {
      h.files.files[folder.File(name)] = name;
      h.dialog.Tracks().SetBpm(row++, bpm);
    }
  }
  std::string File(const std::string& name) const { return folder.File(name); }

  TempFolder folder;  // only for listing: the operations touch no disk
  DialogHarness h;
};

// Runs `body` in a child process of its own (see RunInChild).
bool InChild(bool dropRoot, const std::function<bool()>& body) {
  return RunInChild(dropRoot, [&](std::string&) { return body(); }).ok;
}

}  // namespace

TEST(PathWithBpm, TheTagGoesBeforeTheNameOrTheExtension) {
  const std::string path = "/Music/Track one.mp3";
  EXPECT_EQ(PathWithBpm(path, 127.856, 0, TagPosition::kBeginning), "/Music/(128) Track one.mp3");
  EXPECT_EQ(PathWithBpm(path, 127.856, 1, TagPosition::kBeginning), "/Music/(127.9) Track one.mp3");
  EXPECT_EQ(PathWithBpm(path, 127.856, 2, TagPosition::kBeginning),
            "/Music/(127.86) Track one.mp3");
  EXPECT_EQ(PathWithBpm(path, 127.856, 1, TagPosition::kEnd), "/Music/Track one (127.9).mp3");
  EXPECT_EQ(PathWithBpm(path, 0, 2, TagPosition::kEnd), "/Music/Track one (0.00).mp3");
  // A point in a folder's name is not the extension's.
  EXPECT_EQ(PathWithBpm("/My.Music/track", 90, 0, TagPosition::kEnd), "/My.Music/track (90)");
  // A tag already there is not recognised: it is added again.
  EXPECT_EQ(PathWithBpm("/m/(128) a.mp3", 128, 0, TagPosition::kBeginning), "/m/(128) (128) a.mp3");
}

TEST(RenameFiles, AnEmptyListOrNoSelectionSaysNothingWasDone) {
  DialogHarness empty;
  empty.dialog.OnCommand(kRenameFilesCommand);
  EXPECT_EQ(MessageTexts(empty.host), (std::vector<std::string>{"No files were renamed/copied."}));

  MemoryRename m({{"a.mp3", "120.00"}});
  m.h.dialog.OnRowSelected(0, false);
  m.h.dialog.OnCommand(kRenameFilesCommand);
  EXPECT_EQ(MessageTexts(m.h.host), (std::vector<std::string>{"No files were renamed/copied."}));
  EXPECT_TRUE(m.h.files.calls.empty());
}

TEST(RenameFiles, ACompactDiscListingDoesNothingAtAll) {
  DialogHarness h(false);
  h.drives.InsertDisc(h.drives.AddDrive("drive", "/dev/sr0"), FakeDisc::Audio(1));
  h.dialog.OnInitDialog();
  h.dialog.OnDriveChosen(0);
  ASSERT_EQ(h.dialog.Tracks().RowCount(), 1);
  h.dialog.OnCommand(kRenameFilesCommand);
  h.dialog.OnRadioButtonClicked(kDuplicateRadio);
  h.dialog.OnCommand(kRenameFilesCommand);
  EXPECT_TRUE(h.host.messages.empty());
  EXPECT_TRUE(h.files.calls.empty());
}

TEST(RenameFiles, RowsWithoutTempoGetZeroAndHandSetDecimalsAreRounded) {
  MemoryRename m({{"a.mp3", ""}, {"b.mp3", "123.45"}, {"c.wav", "abc"}});
  m.h.dialog.OnCommand(kRenameFilesCommand);
  EXPECT_TRUE(m.h.host.messages.empty());
  EXPECT_EQ(m.h.files.files.count(m.File("(0) a.mp3")), 1u);
  EXPECT_EQ(m.h.files.files.count(m.File("(123) b.mp3")), 1u);
  EXPECT_EQ(m.h.files.files.count(m.File("(0) c.wav")), 1u);
  // The list still shows the old paths and keeps its selection.
  EXPECT_EQ(m.h.dialog.Tracks().Row(1).fileName, m.File("b.mp3"));
  EXPECT_EQ(m.h.dialog.Tracks().SelectedCount(), 3);
}

TEST(RenameFiles, EachOperationReadsItsOwnPositionPair) {
  MemoryRename m({{"a.mp3", "127.856"}});
  // Rename at the end; the copy's pair (at the beginning) is ignored.
  m.h.dialog.OnRadioButtonClicked(kRenameAtEndRadio);
  m.h.dialog.OnUpDownStep(kDecimalPlacesUpDown, 1);
  m.h.dialog.OnCommand(kRenameFilesCommand);
  ASSERT_EQ(m.h.files.calls.size(), 1u);
  EXPECT_FALSE(m.h.files.calls[0].copy);
  EXPECT_EQ(m.h.files.calls[0].to, m.File("a (127.9).mp3"));

  // Copy at the beginning, although the rename pair still says the end.
  m.h.files.files[m.File("a.mp3")] = "a";
  m.h.dialog.OnRadioButtonClicked(kDuplicateRadio);
  m.h.dialog.OnUpDownStep(kDecimalPlacesUpDown, 1);
  m.h.dialog.OnCommand(kRenameFilesCommand);
  ASSERT_EQ(m.h.files.calls.size(), 2u);
  EXPECT_TRUE(m.h.files.calls[1].copy);
  EXPECT_EQ(m.h.files.calls[1].to, m.File("(127.86) a.mp3"));
  m.h.dialog.OnRadioButtonClicked(kDuplicateAtEndRadio);
  m.h.dialog.OnCommand(kRenameFilesCommand);
  EXPECT_EQ(m.h.files.calls[2].to, m.File("a (127.86).mp3"));
  EXPECT_TRUE(m.h.host.messages.empty());
}

TEST(RenameFiles, FailuresAreReportedPerFileAndTheWalkGoesOn) {
  MemoryRename m({{"a.mp3", "120"}, {"b.mp3", "121"}, {"c.mp3", "122"}});
  m.h.files.files[m.File("(121) b.mp3")] = "someone else's";
  m.h.dialog.OnCommand(kRenameFilesCommand);
  EXPECT_EQ(MessageTexts(m.h.host),
            (std::vector<std::string>{"Unable to rename file!\n" + m.File("b.mp3") + "\nto\n" +
                                      m.File("(121) b.mp3")}));
  EXPECT_EQ(m.h.files.files[m.File("(121) b.mp3")], "someone else's");
  EXPECT_EQ(m.h.files.files[m.File("b.mp3")], "b.mp3");
  EXPECT_EQ(m.h.files.files.count(m.File("(122) c.mp3")), 1u);

  // A second run on the same rows: the old names are gone (b's new one is
  // still taken), every row fails and only the per-file messages appear.
  m.h.host.messages.clear();
  m.h.dialog.OnCommand(kRenameFilesCommand);
  ASSERT_EQ(m.h.host.messages.size(), 3u);
  EXPECT_EQ(m.h.host.messages[0].text,
            "Unable to rename file!\n" + m.File("a.mp3") + "\nto\n" + m.File("(120) a.mp3"));
  EXPECT_EQ(m.h.host.messages[2].text,
            "Unable to rename file!\n" + m.File("c.mp3") + "\nto\n" + m.File("(122) c.mp3"));
  EXPECT_EQ(m.h.files.files[m.File("(121) b.mp3")], "someone else's");
}

TEST(RenameFiles, ACopyReplacesAnExistingFileWithoutAMessage) {
  MemoryRename m({{"a.mp3", "120"}});
  m.h.files.files[m.File("(120) a.mp3")] = "old copy";
  m.h.dialog.OnRadioButtonClicked(kDuplicateRadio);
  m.h.dialog.OnCommand(kRenameFilesCommand);
  EXPECT_TRUE(m.h.host.messages.empty());
  EXPECT_EQ(m.h.files.files[m.File("(120) a.mp3")], "a.mp3");
  EXPECT_EQ(m.h.files.files[m.File("a.mp3")], "a.mp3");

  m.h.files.failing.insert(m.File("(120) a.mp3"));
  m.h.dialog.OnCommand(kRenameFilesCommand);
  EXPECT_EQ(MessageTexts(m.h.host),
            (std::vector<std::string>{"Unable to copy file!\n" + m.File("a.mp3") + "\nto\n" +
                                      m.File("(120) a.mp3")}));
}

TEST(RenameFiles, TheCommandIsOffDuringARun) {
  MemoryRename m({{"a.mp3", ""}});
  m.h.dialog.OnCommand(kGoButton);
  ASSERT_TRUE(m.h.dialog.AnalysisRunning());
  m.h.dialog.OnRowSelected(0, true);
  m.h.dialog.OnCommand(kRenameFilesCommand);
  EXPECT_TRUE(m.h.files.calls.empty());
  EXPECT_TRUE(m.h.host.messages.empty());
}

// ---- On real files ----

namespace {

// A folder of real files listed in the dialog, renamed or copied on disk.
struct DiskRename {
  DiskRename() : h(true, &disk) {}

  // Writes the files, lists the folder and gives the rows their BPM texts.
  void List(std::initializer_list<std::pair<const char*, const char*>> rows) {
    for (const auto& [name, bpm] : rows) Write(folder.File(name), std::string("audio of ") + name);
    h.dialog.ListFolder(folder.Path());
    for (const auto& [name, bpm] : rows) {
      for (int row = 0; row < h.dialog.Tracks().RowCount(); ++row)
        if (h.dialog.Tracks().Row(row).fileName == folder.File(name))
          h.dialog.Tracks().SetBpm(row, bpm);
    }
  }

  TempFolder folder;
  DiskFileOperations disk;
  DialogHarness h;
};

}  // namespace

TEST(RenameOnDisk, BothPositionsWithZeroOneAndTwoDecimals) {
  struct Case {
    FileOperation operation;
    bool atEnd;
    int decimals;
    const char* expected;
  };
  const Case cases[] = {
      {FileOperation::kRename, false, 0, "(128) Track one.mp3"},
      {FileOperation::kRename, false, 1, "(127.9) Track one.mp3"},
      {FileOperation::kRename, false, 2, "(127.86) Track one.mp3"},
      {FileOperation::kRename, true, 0, "Track one (128).mp3"},
      {FileOperation::kRename, true, 1, "Track one (127.9).mp3"},
      {FileOperation::kRename, true, 2, "Track one (127.86).mp3"},
      {FileOperation::kCopy, false, 2, "(127.86) Track one.mp3"},
      {FileOperation::kCopy, true, 0, "Track one (128).mp3"},
  };
  for (const Case& c : cases) {
    DiskRename d;
    d.List({{"Track one.mp3", "127.856"}});
    if (c.operation == FileOperation::kCopy) {
      d.h.dialog.OnRadioButtonClicked(kDuplicateRadio);
      if (c.atEnd) d.h.dialog.OnRadioButtonClicked(kDuplicateAtEndRadio);
    } else if (c.atEnd) {
      d.h.dialog.OnRadioButtonClicked(kRenameAtEndRadio);
    }
    d.h.dialog.OnUpDownStep(kDecimalPlacesUpDown, c.decimals);
    d.h.dialog.OnCommand(kRenameFilesCommand);
    EXPECT_TRUE(d.h.host.messages.empty()) << c.expected;
    std::vector<std::string> expected{c.expected};
    if (c.operation == FileOperation::kCopy) expected.push_back("Track one.mp3");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Names(d.folder.Path()), expected);
    EXPECT_EQ(Read(d.folder.File(c.expected)), "audio of Track one.mp3");
  }
}

TEST(RenameOnDisk, ATakenNameIsNeverReplacedAndRenamingTwiceFails) {
  DiskRename d;
  d.List({{"a.mp3", "120"}, {"b.mp3", "130"}, {"sub/c.mp3", "140"}});
  Write(d.folder.File("(130) b.mp3"), "another song");
  d.h.dialog.OnCommand(kRenameFilesCommand);
  EXPECT_EQ(MessageTexts(d.h.host),
            (std::vector<std::string>{"Unable to rename file!\n" + d.folder.File("b.mp3") +
                                      "\nto\n" + d.folder.File("(130) b.mp3")}));
  // Both files of the failed rename survive byte for byte; the others moved.
  EXPECT_EQ(Read(d.folder.File("b.mp3")), "audio of b.mp3");
  EXPECT_EQ(Read(d.folder.File("(130) b.mp3")), "another song");
  EXPECT_EQ(Read(d.folder.File("(120) a.mp3")), "audio of a.mp3");
  EXPECT_EQ(Read(d.folder.File("sub/(140) c.mp3")), "audio of sub/c.mp3");
  EXPECT_EQ(Names(d.folder.Path()),
            (std::vector<std::string>{"(120) a.mp3", "(130) b.mp3", "b.mp3", "sub"}));

  // Again on the rows that still show the old names: every row fails, and
  // nothing on disk changes.
  d.h.host.messages.clear();
  d.h.dialog.OnCommand(kRenameFilesCommand);
  EXPECT_EQ(d.h.host.messages.size(), 3u);
  EXPECT_EQ(Read(d.folder.File("(130) b.mp3")), "another song");
  EXPECT_EQ(Names(d.folder.Path()),
            (std::vector<std::string>{"(120) a.mp3", "(130) b.mp3", "b.mp3", "sub"}));
}

TEST(RenameOnDisk, ACopyReplacesATakenNameWholeAndKeepsPermissionsAndTime) {
  DiskRename d;
  d.List({{"a.mp3", "120"}});
  ASSERT_EQ(chmod(d.folder.File("a.mp3").c_str(), 0640), 0);
  const struct timespec times[2] = {{1500000000, 0}, {1600000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, d.folder.File("a.mp3").c_str(), times, 0), 0);
  Write(d.folder.File("(120) a.mp3"), std::string(100000, 'x'));  // longer than the source
  d.h.dialog.OnRadioButtonClicked(kDuplicateRadio);
  d.h.dialog.OnCommand(kRenameFilesCommand);
  EXPECT_TRUE(d.h.host.messages.empty());
  EXPECT_EQ(Read(d.folder.File("(120) a.mp3")), "audio of a.mp3");
  EXPECT_EQ(Read(d.folder.File("a.mp3")), "audio of a.mp3");
  struct stat st;
  ASSERT_EQ(stat(d.folder.File("(120) a.mp3").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(st.st_mtim.tv_sec, 1600000000);
  EXPECT_EQ(Names(d.folder.Path()), (std::vector<std::string>{"(120) a.mp3", "a.mp3"}));
}

TEST(RenameOnDisk, AVanishedSourceIsReportedAndLeavesNoTrace) {
  for (bool copy : {false, true}) {
    DiskRename d;
    d.List({{"a.mp3", "120"}, {"b.mp3", "125"}});
    Write(d.folder.File("(120) a.mp3"), "old copy");
    fs::remove(d.folder.File("a.mp3"));
    if (copy) d.h.dialog.OnRadioButtonClicked(kDuplicateRadio);
    d.h.dialog.OnCommand(kRenameFilesCommand);
    const std::string verb = copy ? "copy" : "rename";
    EXPECT_EQ(MessageTexts(d.h.host),
              (std::vector<std::string>{"Unable to " + verb + " file!\n" + d.folder.File("a.mp3") +
                                        "\nto\n" + d.folder.File("(120) a.mp3")}));
    EXPECT_EQ(Read(d.folder.File("(120) a.mp3")), "old copy");
    std::vector<std::string> expected{"(120) a.mp3", "(125) b.mp3"};
    if (copy) expected.push_back("b.mp3");
    EXPECT_EQ(Names(d.folder.Path()), expected) << verb;
  }
}

TEST(RenameOnDisk, AReadOnlyFolderFailsForEveryRowWithoutATrace) {
  for (bool copy : {false, true}) {
    DiskRename d;
    d.List({{"a.mp3", "120"}, {"b.mp3", "125"}});
    Write(d.folder.File("(125) b.mp3"), "old copy");
    chmod(d.folder.File("a.mp3").c_str(), 0644);
    chmod(d.folder.File("b.mp3").c_str(), 0644);
    chmod(d.folder.File("(125) b.mp3").c_str(), 0644);
    chmod(d.folder.Path().c_str(), 0555);
    if (copy) d.h.dialog.OnRadioButtonClicked(kDuplicateRadio);
    EXPECT_TRUE(InChild(true, [&] {
      d.h.dialog.OnCommand(kRenameFilesCommand);
      return d.h.host.messages.size() == 2;
    }));
    chmod(d.folder.Path().c_str(), 0755);
    EXPECT_EQ(Names(d.folder.Path()), (std::vector<std::string>{"(125) b.mp3", "a.mp3", "b.mp3"}));
    EXPECT_EQ(Read(d.folder.File("(125) b.mp3")), "old copy");
    EXPECT_EQ(Read(d.folder.File("a.mp3")), "audio of a.mp3");
  }
}

// A disk that fills up during the copy (a file size limit stands in for
// it): the copy is reported, the old target stays whole, no partial file.
TEST(RenameOnDisk, AFullDiskFailsTheCopyWithoutATrace) {
  DiskRename d;
  d.List({{"big.mp3", "140"}});
  Write(d.folder.File("big.mp3"), std::string(1 << 20, 'b'));
  Write(d.folder.File("(140) big.mp3"), "old copy");
  d.h.dialog.OnRadioButtonClicked(kDuplicateRadio);
  EXPECT_TRUE(InChild(false, [&] {
    std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead
    const struct rlimit limit = {64 * 1024, 64 * 1024};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return false;
    d.h.dialog.OnCommand(kRenameFilesCommand);
    return d.h.host.messages.size() == 1 &&
           d.h.host.messages[0].text.starts_with("Unable to copy file!\n");
  }));
  EXPECT_EQ(Read(d.folder.File("(140) big.mp3")), "old copy");
  EXPECT_EQ(Names(d.folder.Path()), (std::vector<std::string>{"(140) big.mp3", "big.mp3"}));
}
