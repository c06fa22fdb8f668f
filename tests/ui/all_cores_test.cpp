// Project > Use All Cores (off at start): a run hands the selected files
// to as many analyses at once as the window has, results land in their
// rows as they come, in any order, and the run ends when the last one is
// in; off, or with a single analysis, the run goes one file at a time.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "engine/analysis_job.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/dialog_harness.h"
#include "ui/analysis_slots.h"

namespace {

class ScriptedSlots : public AnalysisSlots {
 public:
  explicit ScriptedSlots(int count) {
    for (int slot = 0; slot < count; ++slot)
      analyses.push_back(std::make_unique<ScriptedAnalysis>());
  }
  int Count() const override { return static_cast<int>(analyses.size()); }
  TrackAnalysis& Slot(int slot) override { return *analyses[static_cast<size_t>(slot)]; }
  ScriptedAnalysis& Scripted(int slot) { return *analyses[static_cast<size_t>(slot)]; }
  std::vector<std::unique_ptr<ScriptedAnalysis>> analyses;
};

// Five MP3 files (of 1000 bytes each) and a WAV file listed, all selected.
struct CoresHarness {
  explicit CoresHarness(int slotCount) : slots(slotCount) {
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3", "d.wav", "e.mp3", "f.mp3"}) {
      MakeFile(folder.File(name));
      std::ofstream(folder.File(name)) << std::string(1000, 'x');
    }
    h.host.allCores = &slots;
    h.dialog.ListFolder(folder.Path());
    h.host.saveAnswers.clear();
  }
  void Done(int slot, double tempo) {
    slots.Scripted(slot).tempo = tempo;
    h.dialog.OnAnalysisMessage(AnalysisSlots::kSlotMessage, static_cast<uintptr_t>(slot),
                               AnalysisJob::kAnalysisDone);
  }
  void Failed(int slot) {
    h.dialog.OnAnalysisMessage(AnalysisSlots::kSlotMessage, static_cast<uintptr_t>(slot),
                               AnalysisJob::kAnalysisFailed);
  }
  std::vector<std::string> Started(int slot) {
    std::vector<std::string> names;
    for (const std::string& path : slots.Scripted(slot).started)
      names.push_back(path.substr(folder.Path().size() + 1));
    return names;
  }
  TempFolder folder;
  ScriptedSlots slots;
  DialogHarness h;
};

}  // namespace

TEST(UseAllCores, OffAtStartTheRunGoesOneFileAtATime) {
  CoresHarness c(2);
  EXPECT_FALSE(c.h.dialog.State().MenuChecked(kUseAllCoresCommand));
  c.h.dialog.OnCommand(kGoButton);
  EXPECT_EQ(c.h.analysis.started.size(), 1u);
  EXPECT_TRUE(c.slots.Scripted(0).started.empty());
  EXPECT_TRUE(c.slots.Scripted(1).started.empty());
  for (double tempo : {100.0, 101.0, 102.0, 103.0, 104.0}) c.h.Done(tempo);
  EXPECT_FALSE(c.h.dialog.AnalysisRunning());
  EXPECT_EQ(BpmTexts(c.h.dialog.Tracks()),
            (std::vector<std::string>{"100.00", "101.00", "102.00", "", "103.00", "104.00"}));
}

TEST(UseAllCores, ResultsLandInTheirRowsInAnyOrderAndTheRunEndsWithTheLast) {
  CoresHarness c(2);
  DialogHarness& h = c.h;
  h.dialog.OnCommand(kUseAllCoresCommand);
  c.slots.Scripted(1).refused.insert(c.folder.File("e.mp3"));
  h.dialog.OnCommand(kGoButton);
  EXPECT_TRUE(h.analysis.started.empty());
  EXPECT_EQ(c.Started(0), (std::vector<std::string>{"a.mp3"}));
  EXPECT_EQ(c.Started(1), (std::vector<std::string>{"b.mp3"}));
  // The status line shows the file started last.
  EXPECT_EQ(h.dialog.State().Control(kStatusLine).text, c.folder.File("b.mp3"));

  // Half of b.mp3 read, nothing of a.mp3: a tenth of the run's 5000 bytes
  // (the five MP3 files; the WAV file is not analysed).
  c.slots.Scripted(1).position = {500, 1000};
  h.dialog.OnAnalysisMessage(AnalysisSlots::kSlotMessage, 1, AnalysisJob::kAnalysisProgress);
  const ProgressBarState bar = h.dialog.State().progressBar;
  EXPECT_NEAR(static_cast<double>(bar.position) / static_cast<double>(bar.upper), 500.0 / 5000.0,
              0.01);

  c.Done(1, 91.0);  // b.mp3 first; slot 1 goes on with c.mp3
  EXPECT_EQ(c.Started(1), (std::vector<std::string>{"b.mp3", "c.mp3"}));
  c.Done(1, 92.0);  // c.mp3; the WAV row is passed over, e.mp3 refused
  EXPECT_EQ(c.Started(1), (std::vector<std::string>{"b.mp3", "c.mp3", "e.mp3", "f.mp3"}));
  c.Failed(1);  // f.mp3
  EXPECT_TRUE(h.dialog.AnalysisRunning());
  c.Done(0, 120.0);  // a.mp3 last
  EXPECT_FALSE(h.dialog.AnalysisRunning());
  EXPECT_EQ(BpmTexts(h.dialog.Tracks()),
            (std::vector<std::string>{"120.00", "91.00", "92.00", "", "", ""}));
  EXPECT_EQ(Images(h.dialog.Tracks()), (std::vector<int>{1, 1, 1, 0, 2, 2}));
  EXPECT_TRUE(h.dialog.State().MenuEnabled(kAnalyzeFilesCommand));
  // A message after the run changes nothing.
  c.Done(0, 60.0);
  EXPECT_EQ(h.dialog.Tracks().Row(0).bpm, "120.00");
}

TEST(UseAllCores, WithASingleAnalysisTheRunGoesOneFileAtATime) {
  CoresHarness c(1);
  c.h.dialog.OnCommand(kUseAllCoresCommand);
  c.h.dialog.OnCommand(kGoButton);
  EXPECT_EQ(c.h.analysis.started.size(), 1u);
  EXPECT_TRUE(c.slots.Scripted(0).started.empty());
}
