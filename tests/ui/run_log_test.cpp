// The log of a run: the line format (80 characters before CR LF, D
// decimals, long names), which rows are written, and what FinishRun does
// with the save dialog's answer, including files that cannot be written.
#include "ui/run_log.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "tests/support/temp_folder.h"
#include "tests/ui/dialog_harness.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

TEST(LogLine, TheTempoEndsAtColumn80) {
  EXPECT_EQ(FormatLogLine("/m/a.mp3", "127.86", 2), "a.mp3" + std::string(69, ' ') + "127.86\r\n");
  EXPECT_EQ(FormatLogLine("/m/b.wav", "", 2), "b.wav" + std::string(71, ' ') + "0.00\r\n");
  // The example: D = 1.
  const std::string line = FormatLogLine("/Music/Song.mp3", "127.86", 1);
  EXPECT_EQ(line, "Song.mp3" + std::string(67, ' ') + "127.9\r\n");
  EXPECT_EQ(line.size(), 82u);
}

TEST(LogLine, DecimalsRoundAsPrintfDoes) {
  EXPECT_EQ(FormatLogLine("x.mp3", "127.5", 0), "x.mp3" + std::string(72, ' ') + "128\r\n");
  EXPECT_EQ(FormatLogLine("x.mp3", "127.86", 0), "x.mp3" + std::string(72, ' ') + "128\r\n");
  EXPECT_EQ(FormatLogLine("x.mp3", "99.95", 1), "x.mp3" + std::string(70, ' ') + "100.0\r\n");
  // A name without a separator is written whole; text that is no number is 0.
  EXPECT_EQ(FormatLogLine("track", "n/a", 2), "track" + std::string(71, ' ') + "0.00\r\n");
}

TEST(LogLine, LongNamesPushTheNumberOut) {
  const std::string name80(80, 'n');
  EXPECT_EQ(FormatLogLine("/m/" + name80, "127.86", 2), name80 + "127.86\r\n");
  // Above 80 bytes the field is L - 80 wide and left-aligned.
  const std::string name83(83, 'n');
  EXPECT_EQ(FormatLogLine("/m/" + name83, "5", 0), name83 + "5  \r\n");
  EXPECT_EQ(FormatLogLine("/m/" + name83, "127.86", 2), name83 + "127.86\r\n");
  // The length is counted in bytes: two-byte characters count twice.
  const std::string accented = "\xc3\xa9t\xc3\xa9.mp3";  // 9 bytes
  EXPECT_EQ(FormatLogLine("/m/" + accented, "1", 0), accented + std::string(70, ' ') + "1\r\n");
}

TEST(FinishRun, TheSaveDialogIsAskedAsSpecifiedAndTheLogHoldsTheRunsRows) {
  TempFolder t;
  for (const char* name : {"a.mp3", "b.mp3", "c.mp3", "d.wav"})
    MakeFile(t.File("m/" + std::string(name)));
  DialogHarness h;
  h.dialog.ListFolder(t.File("m"));
  // A first run gives c.mp3 a tempo; the second run takes a, b and d only.
  for (int row : {0, 1, 3}) h.dialog.OnRowSelected(row, false);
  h.dialog.OnCommand(kGoButton);
  h.Done(140.0);
  for (int row : {0, 1, 2, 3}) h.dialog.OnRowSelected(row, true);
  h.dialog.OnUpDownStep(kDecimalPlacesUpDown, 2);
  h.host.saveAnswers.push_back(t.File("bpmlog"));  // the extension is added
  h.dialog.OnCommand(kGoButton);
  h.Done(127.86);
  h.Failed();

  ASSERT_EQ(h.host.saveRequests.size(), 2u);
  const SaveFileRequest& request = h.host.saveRequests[1];
  EXPECT_EQ(request.title, "Would you like to save a log file?");
  EXPECT_EQ(request.initialName, "bpmlog.txt");
  EXPECT_EQ(request.defaultExtension, "txt");
  EXPECT_EQ(request.filterLabel, "TXT Files (*.txt)");
  EXPECT_EQ(request.filterPattern, "*.txt");

  // c.mp3 (outside the run) is not written although it shows a tempo; the
  // passed-over WAV row is, with 0.
  EXPECT_EQ(ReadFile(t.File("bpmlog.txt")), "a.mp3" + std::string(69, ' ') + "127.86\r\n" +
                                                "b.mp3" + std::string(71, ' ') + "0.00\r\n" +
                                                "d.wav" + std::string(71, ' ') + "0.00\r\n");
  EXPECT_TRUE(h.host.messages.empty());
  EXPECT_TRUE(h.dialog.State().Control(kGoButton).enabled);
}

TEST(FinishRun, AnExistingFileIsReplacedAndAnEmptyRunWritesAnEmptyFile) {
  TempFolder t;
  MakeFile(t.File("m/a.mp3"));
  {
    std::ofstream old(t.File("old.txt"));
    old << "what was there before\n";
  }
  DialogHarness h;
  h.dialog.ListFolder(t.File("m"));
  h.dialog.OnCommand(kGoButton);
  h.Done(120.0);
  h.dialog.OnRowSelected(0, true);  // a row that has its tempo: nothing queued
  h.host.saveAnswers.push_back(t.File("old.txt"));
  h.dialog.OnCommand(kGoButton);
  EXPECT_EQ(ReadFile(t.File("old.txt")), "");
  EXPECT_TRUE(h.host.messages.empty());
}

TEST(FinishRun, CancellingWritesNothingAndGivesTheControlsBack) {
  TempFolder t;
  MakeFile(t.File("m/a.mp3"));
  DialogHarness h;
  h.dialog.ListFolder(t.File("m"));
  h.dialog.OnCommand(kGoButton);
  h.dialog.OnAnalysisMessage(1025, 40, 100);
  h.Done(120.0);
  EXPECT_EQ(h.host.saveRequests.size(), 1u);
  EXPECT_TRUE(h.dialog.State().Control(kGoButton).enabled);
  EXPECT_FALSE(h.dialog.AnalysisRunning());
  EXPECT_EQ(h.dialog.State().progressBar.position, 0);
  EXPECT_EQ(h.dialog.State().Control(kStatusLine).text, "");
  EXPECT_EQ(h.dialog.Tracks().Row(0).bpm, "120.00");  // the result stays in the list
}

TEST(FinishRun, ALogThatCannotBeOpenedIsReported) {
  TempFolder t;
  MakeFile(t.File("m/a.mp3"));
  DialogHarness h;
  h.dialog.ListFolder(t.File("m"));
  h.host.saveAnswers.push_back(t.File("no/such/folder/log.txt"));
  h.dialog.OnCommand(kGoButton);
  h.Done(120.0);
  ASSERT_EQ(h.host.messages.size(), 1u);
  EXPECT_EQ(h.host.messages[0].text, "Unable to open log file for writing!");
  EXPECT_EQ(h.host.messages[0].caption, "Log file creation failed!");
  EXPECT_TRUE(h.dialog.State().Control(kGoButton).enabled);
}

// A full disk is not silently accepted: /dev/full (reached through a link
// named like a log) opens, but every write to it fails.
TEST(FinishRun, ALogThatCannotBeWrittenCompletelyIsReported) {
  TempFolder t;
  MakeFile(t.File("m/a.mp3"));
  struct stat st;
  ASSERT_EQ(stat("/dev/full", &st), 0) << "this test needs /dev/full";
  ASSERT_EQ(symlink("/dev/full", t.File("full.txt").c_str()), 0);
  DialogHarness h;
  h.dialog.ListFolder(t.File("m"));
  h.host.saveAnswers.push_back(t.File("full.txt"));
  h.dialog.OnCommand(kGoButton);
  h.Done(120.0);
  ASSERT_EQ(h.host.messages.size(), 1u);
  EXPECT_EQ(h.host.messages[0].text,
            "Unable to write the whole log file!\n" + t.File("full.txt") + "\nis incomplete.");
  EXPECT_EQ(h.host.messages[0].caption, "Log file creation failed!");
  EXPECT_TRUE(h.dialog.State().Control(kGoButton).enabled);
}
