// The Project menu's checkable choices for large libraries, each off at
// start: "All Audio Formats" (listing and analysing every audio format).
// Each is checked both ways: on, and off with the window as it always was.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/temp_folder.h"
#include "tests/ui/dialog_harness.h"
#include "ui/folder_scan.h"

namespace {

// A folder with one file of each kind the window may list, and one that
// no listing takes.
struct MixedFolder {
  MixedFolder() {
    for (const char* name : {"a.mp3", "b.flac", "c.wav", "d.M4A", "e.ogg", "f.txt", "g.opus"})
      MakeFile(folder.File(name));
  }
  std::vector<std::string> Listed(const TrackList& tracks) const {
    std::vector<std::string> names;
    for (int row = 0; row < tracks.RowCount(); ++row)
      names.push_back(tracks.Row(row).fileName.substr(folder.Path().size() + 1));
    return names;
  }
  TempFolder folder;
};

}  // namespace

TEST(AllAudioFormats, OffAtStartListsMp3AndWaveAndAnalysesMp3Only) {
  MixedFolder m;
  DialogHarness h;
  EXPECT_FALSE(h.dialog.State().MenuChecked(kAllFormatsCommand));
  h.dialog.ListFolder(m.folder.Path());
  EXPECT_EQ(m.Listed(h.dialog.Tracks()), (std::vector<std::string>{"a.mp3", "c.wav"}));
  h.host.saveAnswers.clear();
  h.dialog.OnCommand(kGoButton);
  EXPECT_FALSE(h.analysis.everyFormat);
  h.Done(120.0);
  EXPECT_FALSE(h.dialog.AnalysisRunning());
  EXPECT_EQ(h.analysis.started, (std::vector<std::string>{m.folder.File("a.mp3")}));
  EXPECT_EQ(BpmTexts(h.dialog.Tracks()), (std::vector<std::string>{"120.00", ""}));
}

TEST(AllAudioFormats, OnListsAndAnalysesEveryFormatWithTheEngineTold) {
  MixedFolder m;
  DialogHarness h;
  h.dialog.OnCommand(kAllFormatsCommand);
  EXPECT_TRUE(h.dialog.State().MenuChecked(kAllFormatsCommand));
  h.dialog.ListFolder(m.folder.Path());
  const std::vector<std::string> every{"a.mp3", "b.flac", "c.wav", "d.M4A", "e.ogg", "g.opus"};
  EXPECT_EQ(m.Listed(h.dialog.Tracks()), every);
  h.host.saveAnswers.clear();
  h.dialog.OnCommand(kGoButton);
  EXPECT_TRUE(h.analysis.everyFormat);
  for (int i = 0; i < 6; ++i) h.Done(100.0 + i);
  EXPECT_FALSE(h.dialog.AnalysisRunning());
  ASSERT_EQ(h.analysis.started.size(), every.size());
  for (size_t i = 0; i < every.size(); ++i)
    EXPECT_EQ(h.analysis.started[i], m.folder.File(every[i]));
  EXPECT_EQ(BpmTexts(h.dialog.Tracks()),
            (std::vector<std::string>{"100.00", "101.00", "102.00", "103.00", "104.00", "105.00"}));

  // Switched off again: the next run is MPEG audio only, and the next
  // listing the window's own.
  h.dialog.OnCommand(kAllFormatsCommand);
  h.dialog.ListFolder(m.folder.Path());
  EXPECT_EQ(m.Listed(h.dialog.Tracks()), (std::vector<std::string>{"a.mp3", "c.wav"}));
  h.dialog.OnCommand(kGoButton);
  EXPECT_FALSE(h.analysis.everyFormat);
}

TEST(AllAudioFormats, ABackgroundListingIsAskedForTheChosenNames) {
  MixedFolder m;
  DialogHarness h;
  h.host.listInBackground = true;
  h.dialog.ListFolder(m.folder.Path());
  h.dialog.OnCommand(kAllFormatsCommand);
  h.dialog.ListFolder(m.folder.Path());
  EXPECT_EQ(h.host.backgroundListingFormats,
            (std::vector<AudioFormats>{AudioFormats::kMpegAndWave, AudioFormats::kEveryFormat}));
}

TEST(AllAudioFormats, TheListingRuleWidensOnlyWhenAsked) {
  for (const char* name : {"x.mp3", "x.WAV", "/m/x.Mp3"}) {
    EXPECT_TRUE(IsListedAudioName(name, AudioFormats::kMpegAndWave)) << name;
    EXPECT_TRUE(IsListedAudioName(name, AudioFormats::kEveryFormat)) << name;
  }
  for (const char* name : {"x.flac", "x.m4a", "x.aiff", "x.wma", "x.opus"}) {
    EXPECT_FALSE(IsListedAudioName(name, AudioFormats::kMpegAndWave)) << name;
    EXPECT_TRUE(IsListedAudioName(name, AudioFormats::kEveryFormat)) << name;
  }
  for (const char* name : {"x.txt", "flac", "x.flac.part"})
    EXPECT_FALSE(IsListedAudioName(name, AudioFormats::kEveryFormat)) << name;
}
