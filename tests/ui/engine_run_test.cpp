// A run of the dialog with the real engine: MP3 files made at test time
// from synthetic beat streams (tempyra-beatgen) by Debian's lame, analysed
// on the worker thread, the messages delivered through an in-memory queue
// as the window's event loop would deliver them.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "engine/analysis_job.h"
#include "tags/tempo_tag.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/dialog_harness.h"
#include "ui/analysis_slots.h"
#include "ui/engine_track_analysis.h"
#include "ui/memory/memory_message_queue.h"

namespace {

// Writes an MP3 of `seconds` of beats every `interval` samples at 44100 Hz.
void MakeBeatMp3(const TempFolder& t, const std::string& name, int interval, int seconds) {
  const std::string wav = t.File(name + ".wav");
  const std::string command = std::string(TEMPYRA_BEATGEN) + " '" + wav + "' 44100 " +
                              std::to_string(interval) + " " + std::to_string(44100 * seconds) +
                              " 1 && lame --quiet -b 128 '" + wav + "' '" +
                              t.File("music/" + name + ".mp3") + "'";
  ASSERT_EQ(std::system(("mkdir -p '" + t.File("music") + "' && " + command).c_str()), 0)
      << "cannot make " << name << " (needs lame: make test installs it)";
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The dialog with the engine's analysis posting into an in-memory queue.
struct EngineHarness {
  MemoryDialogHost host;
  MemoryMessageQueue queue;
  EngineTrackAnalysis analysis{queue};
  FakeCdAccess drives;  // no drive
  FileTempoTagWriter tags;
  MemoryFileOperations files;
  HelpDocuments helpDocuments{{}};
  MainDialog dialog{DialogServices{host, host, host, host, analysis, drives, files, host, host,
                                   host, helpDocuments, tags}};

  EngineHarness() { dialog.OnInitDialog(); }

  // Delivers the messages until the run ends; records the progress bar
  // after every progress message, per row.
  void RunToTheEnd(std::vector<std::vector<ProgressBarState>>* bars = nullptr) {
    while (dialog.AnalysisRunning()) {
      PostedMessage message;
      ASSERT_TRUE(queue.Take(message, std::chrono::seconds(120))) << "the analysis went silent";
      const int row = dialog.CurrentRow();
      dialog.OnAnalysisMessage(message.message, message.wParam, message.lParam);
      if (bars != nullptr && message.message == AnalysisJob::kAnalysisProgress) {
        bars->resize(static_cast<size_t>(row) + 1);
        (*bars)[static_cast<size_t>(row)].push_back(dialog.State().progressBar);
      }
    }
  }
};

}  // namespace

TEST(EngineRun, ThreeFilesOfWhichTheSecondCannotBeReadGiveTicksAroundAQuestionMark) {
  TempFolder t;
  MakeBeatMp3(t, "a120", 22050, 61);
  MakeBeatMp3(t, "c90", 29400, 61);
  {
    std::ofstream broken(t.File("music/b.mp3"));
    broken << "not audio at all";
  }
  EngineHarness h;
  h.dialog.ListFolder(t.File("music"));
  h.dialog.OnUpDownStep(kDecimalPlacesUpDown, 2);
  h.host.saveAnswers.push_back(t.File("log.txt"));
  h.dialog.OnCommand(kGoButton);
  std::vector<std::vector<ProgressBarState>> bars;
  h.RunToTheEnd(&bars);

  const TrackList& tracks = h.dialog.Tracks();
  ASSERT_EQ(tracks.RowCount(), 3);
  EXPECT_EQ(Images(tracks), (std::vector<int>{1, 2, 1}));
  EXPECT_NEAR(std::atof(tracks.Row(0).bpm.c_str()), 119.77, 0.5) << tracks.Row(0).bpm;
  EXPECT_EQ(tracks.Row(1).bpm, "");
  EXPECT_NEAR(std::atof(tracks.Row(2).bpm.c_str()), 179.60, 0.5) << tracks.Row(2).bpm;
  EXPECT_EQ(tracks.Row(0).bpm.size(), 6u);  // two decimals: "119.77"

  // The progress bar followed each file's read position steadily.
  ASSERT_GE(bars.size(), 1u);
  ASSERT_FALSE(bars[0].empty());
  for (size_t i = 1; i < bars[0].size(); ++i) {
    EXPECT_EQ(bars[0][i].upper, bars[0][0].upper);
    EXPECT_GE(bars[0][i].position, bars[0][i - 1].position);
  }
  EXPECT_GT(bars[0].back().position, bars[0].back().upper / 2);

  const std::string log = ReadFile(t.File("log.txt"));
  std::istringstream lines(log);
  std::string line;
  std::vector<std::string> names;
  while (std::getline(lines, line)) {
    ASSERT_EQ(line.size(), 81u) << line;  // 80 characters and the CR
    EXPECT_EQ(line.back(), '\r');
    names.push_back(line.substr(0, line.find(' ')));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"a120.mp3", "b.mp3", "c90.mp3"}));
  EXPECT_NE(log.find(tracks.Row(0).bpm + "\r\n"), std::string::npos);
  EXPECT_NE(log.find("0.00\r\n"), std::string::npos);
}

TEST(EngineRun, AFileTooShortToMeasureIsAFailedRowNotNan) {
  TempFolder t;
  MakeBeatMp3(t, "short", 22050, 8);
  EngineHarness h;
  h.dialog.ListFolder(t.File("music"));
  h.dialog.OnCommand(kGoButton);
  h.RunToTheEnd();
  EXPECT_EQ(Images(h.dialog.Tracks()), (std::vector<int>{2}));
  EXPECT_EQ(h.dialog.Tracks().Row(0).bpm, "");
}

// Analysed, then "Write BPM Tags" with two decimals: the file's tag holds
// the row's tempo as the tag library reads it back.
TEST(EngineRun, WriteBpmTagsStoresTheRowsTempoInTheFile) {
  TempFolder t;
  MakeBeatMp3(t, "a120", 22050, 35);
  EngineHarness h;
  h.dialog.ListFolder(t.File("music"));
  h.dialog.OnCommand(kGoButton);
  h.RunToTheEnd();
  const TrackList& tracks = h.dialog.Tracks();
  ASSERT_EQ(Images(tracks), (std::vector<int>{1}));
  h.dialog.OnRowSelected(0, true);
  h.dialog.OnUpDownStep(kDecimalPlacesUpDown, 2);
  h.dialog.OnCommand(kWriteTagsCommand);
  EXPECT_TRUE(h.host.messages.empty());
  const TempoTagReading tag = ReadTempoTag(t.File("music/a120.mp3"));
  ASSERT_EQ(tag.status, TempoTagReading::Status::kTempo) << tag.error;
  EXPECT_EQ(tag.text, tracks.Row(0).bpm);
}

// Use All Cores: the same folder analysed one file at a time and by two
// engine analyses side by side gives the same rows and the same log; the
// progress bar of the run on two cores only moves forwards.
TEST(EngineRun, AllCoresGiveTheRowsAndTheLogOfAOneAtATimeRun) {
  TempFolder t;
  MakeBeatMp3(t, "a120", 22050, 40);
  MakeBeatMp3(t, "c90", 29400, 40);
  MakeBeatMp3(t, "d100", 26460, 40);
  MakeBeatMp3(t, "e140", 18900, 40);
  {
    std::ofstream broken(t.File("music/b.mp3"));
    broken << "not audio at all";
  }
  struct Outcome {
    std::vector<std::string> bpm;
    std::vector<int> images;
    std::string log;
  };
  auto run = [&t](bool allCores, const std::string& log) {
    EngineHarness h;
    EngineAnalysisSlots slots(h.queue, 2);
    h.host.allCores = &slots;
    h.dialog.ListFolder(t.File("music"));
    if (allCores) h.dialog.OnCommand(kUseAllCoresCommand);
    h.host.saveAnswers.push_back(t.File(log));
    h.dialog.OnCommand(kGoButton);
    std::vector<int64_t> bar;
    while (h.dialog.AnalysisRunning()) {
      PostedMessage message;
      if (!h.queue.Take(message, std::chrono::seconds(120))) break;
      h.dialog.OnAnalysisMessage(message.message, message.wParam, message.lParam);
      if (allCores && message.message == AnalysisSlots::kSlotMessage)
        bar.push_back(h.dialog.State().progressBar.position);
    }
    EXPECT_FALSE(h.dialog.AnalysisRunning());
    if (allCores) {
      EXPECT_FALSE(bar.empty());
      for (size_t i = 1; i < bar.size(); ++i) {
        // Forwards only, until the run's end empties it.
        if (bar[i] != 0) {
          EXPECT_GE(bar[i], bar[i - 1]);
        }
      }
    }
    return Outcome{BpmTexts(h.dialog.Tracks()), Images(h.dialog.Tracks()), ReadFile(t.File(log))};
  };
  const Outcome single = run(false, "one.txt");
  const Outcome both = run(true, "all.txt");
  EXPECT_EQ(single.images, (std::vector<int>{1, 2, 1, 1, 1}));
  EXPECT_EQ(both.bpm, single.bpm);
  EXPECT_EQ(both.images, single.images);
  EXPECT_FALSE(single.log.empty());
  EXPECT_EQ(both.log, single.log);
}

// Exit and the close box stop every analysis of a run on every core:
// after Stop nothing more is posted.
TEST(EngineRun, StoppingTheAnalysesOfEveryCoreEndsAllOfThem) {
  TempFolder t;
  MakeBeatMp3(t, "long1", 22050, 240);
  MakeBeatMp3(t, "long2", 29400, 240);
  MemoryMessageQueue queue;
  EngineAnalysisSlots slots(queue, 2);
  ASSERT_TRUE(slots.Slot(0).Start(t.File("music/long1.mp3")));
  ASSERT_TRUE(slots.Slot(1).Start(t.File("music/long2.mp3")));
  slots.Stop();
  PostedMessage message;
  while (queue.Take(message, std::chrono::milliseconds(0))) {
    EXPECT_EQ(message.message, AnalysisSlots::kSlotMessage);
    EXPECT_LT(message.wParam, 2u);
  }
  // Nothing comes later either (a worker still running would post its
  // progress within this time).
  EXPECT_FALSE(queue.Take(message, std::chrono::milliseconds(200)));
  // Both workers have ended: the slots start again at once.
  EXPECT_TRUE(slots.Slot(0).Start(t.File("music/long2.mp3")));
  slots.Stop();
}
