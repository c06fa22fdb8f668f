// The "Tag" column (Project > Show Tags) and "Skip Tagged Files", both off
// at start: with them off no tag is read and a run analyses every file; on,
// the column fills after listing (at once or from a background reading),
// "Write BPM Tags" refreshes it, and a run takes a tagged file's tempo from
// its tag. The background reader itself runs under ThreadSanitizer too.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"
#include "tests/ui/dialog_harness.h"
#include "ui/background_tag_read.h"
#include "ui/memory/memory_message_queue.h"

namespace {

// Three MP3 files listed; b.mp3 and c.mp3 carry tempo tags.
struct TaggedFolder {
  explicit TaggedFolder(bool showTags) {
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) MakeFile(folder.File(name));
    h.tags.tagged[folder.File("b.mp3")] = 128.0;
    h.tags.tagged[folder.File("c.mp3")] = 127.5;
    if (showTags) h.dialog.OnCommand(kShowTagsCommand);
    h.dialog.ListFolder(folder.Path());
    h.host.saveAnswers.clear();
  }
  std::vector<std::string> Tags() const {
    std::vector<std::string> tags;
    for (int row = 0; row < h.dialog.Tracks().RowCount(); ++row)
      tags.push_back(h.dialog.Tracks().Row(row).tag);
    return tags;
  }
  TempFolder folder;
  DialogHarness h;
};

// A reader whose tags are fixed before it is used, safe on any thread.
class FixedTags : public TempoTagWriter {
 public:
  explicit FixedTags(std::map<std::string, double> tagged) : tagged_(std::move(tagged)) {}
  bool Write(const std::string&, double, int, std::string*) override { return false; }
  std::optional<double> ReadTempo(const std::string& path) override {
    const auto found = tagged_.find(path);
    if (found == tagged_.end()) return std::nullopt;
    return found->second;
  }

 private:
  const std::map<std::string, double> tagged_;
};

constexpr std::chrono::seconds kPatience(60);

}  // namespace

TEST(TagColumn, OffAtStartNoTagIsReadAndARunAnalysesTaggedFiles) {
  TaggedFolder t(false);
  DialogHarness& h = t.h;
  EXPECT_FALSE(h.dialog.State().MenuChecked(kShowTagsCommand));
  EXPECT_FALSE(h.dialog.State().MenuChecked(kSkipTaggedCommand));
  EXPECT_FALSE(h.dialog.ShowsTags());
  EXPECT_TRUE(h.tags.reads.empty());
  EXPECT_EQ(t.Tags(), (std::vector<std::string>{"", "", ""}));
  h.dialog.OnCommand(kGoButton);
  for (double tempo : {100.0, 101.0, 102.0}) h.Done(tempo);
  EXPECT_EQ(h.analysis.started.size(), 3u);
  EXPECT_EQ(BpmTexts(h.dialog.Tracks()), (std::vector<std::string>{"100.00", "101.00", "102.00"}));
  EXPECT_EQ(Images(h.dialog.Tracks()), (std::vector<int>{1, 1, 1}));
  EXPECT_TRUE(h.tags.reads.empty());
}

TEST(TagColumn, OnTheColumnFillsAfterListingAndWhenSwitchedOn) {
  TaggedFolder t(true);
  EXPECT_TRUE(t.h.dialog.ShowsTags());
  EXPECT_EQ(t.Tags(), (std::vector<std::string>{"", "128", "127.50"}));

  // Switched off, nothing more is read; on again, every row is read anew.
  TaggedFolder later(false);
  later.h.tags.tagged[later.folder.File("a.mp3")] = 90.25;
  later.h.dialog.OnCommand(kShowTagsCommand);
  EXPECT_EQ(later.Tags(), (std::vector<std::string>{"90.25", "128", "127.50"}));
  later.h.dialog.OnCommand(kShowTagsCommand);
  const size_t reads = later.h.tags.reads.size();
  later.h.dialog.ListFolder(later.folder.Path());
  EXPECT_EQ(later.h.tags.reads.size(), reads);
}

TEST(TagColumn, WriteBpmTagsRefreshesTheWrittenRows) {
  TaggedFolder t(true);
  DialogHarness& h = t.h;
  h.dialog.OnCommand(kGoButton);
  for (double tempo : {100.0, 101.0, 102.0}) h.Done(tempo);
  h.dialog.OnRowSelected(0, true);
  h.dialog.OnRowSelected(1, true);
  h.tags.refused.insert(t.folder.File("b.mp3"));
  h.dialog.OnCommand(kWriteTagsCommand);
  // a.mp3 written; b.mp3 refused keeps its old tag; c.mp3 not selected.
  EXPECT_EQ(t.Tags(), (std::vector<std::string>{"100", "128", "127.50"}));
}

TEST(TagColumn, BackgroundResultsApplyOnlyToTheirListingAndKeepATapSeries) {
  TaggedFolder t(false);
  DialogHarness& h = t.h;
  h.host.readTagsInBackground = true;
  h.dialog.OnCommand(kShowTagsCommand);
  ASSERT_EQ(h.host.tagRequests.size(), 1u);
  TagReadRequest request = h.host.tagRequests[0];
  ASSERT_EQ(request.items.size(), 3u);
  EXPECT_EQ(request.items[2].row, 2);
  EXPECT_EQ(request.items[2].path, t.folder.File("c.mp3"));
  EXPECT_EQ(t.Tags(), (std::vector<std::string>{"", "", ""}));

  // A tap series on the one selected row survives the tags coming in.
  for (int row = 0; row < 3; ++row) h.dialog.OnRowSelected(row, row == 1);
  h.host.now = 1000;
  h.dialog.OnCommand(kTapButton);
  h.host.now = 1500;
  h.dialog.OnCommand(kTapButton);
  ASSERT_EQ(h.dialog.TapSeries().intervalCount, 1);

  request.items[1].text = "128";
  request.items[2].text = "127.50";
  // A result naming another file than its row holds is dropped.
  request.items[0].path = t.folder.File("elsewhere.mp3");
  request.items[0].text = "99";
  h.dialog.OnTagsRead(request);
  EXPECT_EQ(t.Tags(), (std::vector<std::string>{"", "128", "127.50"}));
  EXPECT_EQ(h.dialog.TapSeries().intervalCount, 1);

  // After the folder is listed again, the old reading changes nothing.
  h.dialog.ListFolder(t.folder.Path());
  ASSERT_EQ(h.host.tagRequests.size(), 2u);
  EXPECT_NE(h.host.tagRequests[1].listing, request.listing);
  h.dialog.OnTagsRead(request);
  EXPECT_EQ(t.Tags(), (std::vector<std::string>{"", "", ""}));
}

TEST(SkipTaggedFiles, ARunTakesTheTagsTempoUnfoldedWithItsOwnImage) {
  TaggedFolder t(false);
  DialogHarness& h = t.h;
  h.dialog.OnCommand(kSkipTaggedCommand);
  EXPECT_TRUE(h.dialog.State().MenuChecked(kSkipTaggedCommand));
  // A maximum of 100 folds the analysed tempo, not the tagged ones.
  h.dialog.OnUpDownStep(kMaxTempoUpDown, -140);
  h.dialog.OnCommand(kGoButton);
  EXPECT_EQ(h.analysis.started, (std::vector<std::string>{t.folder.File("a.mp3")}));
  h.Done(180.0);
  EXPECT_FALSE(h.dialog.AnalysisRunning());
  EXPECT_EQ(BpmTexts(h.dialog.Tracks()), (std::vector<std::string>{"90.00", "128.00", "127.50"}));
  EXPECT_EQ(Images(h.dialog.Tracks()), (std::vector<int>{1, 4, 4}));
  // The tag column stays empty while it is not shown.
  EXPECT_EQ(t.Tags(), (std::vector<std::string>{"", "", ""}));
}

TEST(SkipTaggedFiles, WhenEveryRowIsTaggedTheRunEndsAtOnceWithItsLog) {
  TaggedFolder t(true);
  DialogHarness& h = t.h;
  h.tags.tagged[t.folder.File("a.mp3")] = 64.0;
  h.dialog.OnCommand(kSkipTaggedCommand);
  h.dialog.OnCommand(kGoButton);
  EXPECT_TRUE(h.analysis.started.empty());
  EXPECT_FALSE(h.dialog.AnalysisRunning());
  EXPECT_EQ(BpmTexts(h.dialog.Tracks()), (std::vector<std::string>{"64.00", "128.00", "127.50"}));
  EXPECT_EQ(t.Tags(), (std::vector<std::string>{"64", "128", "127.50"}));
}

TEST(TagTempoText, WholeTempiWithoutDecimalsOthersWithTwo) {
  EXPECT_EQ(TagTempoText(std::nullopt), "");
  EXPECT_EQ(TagTempoText(128.0), "128");
  EXPECT_EQ(TagTempoText(127.5), "127.50");
  EXPECT_EQ(TagTempoText(99.999), "100");
  EXPECT_EQ(TagTempoText(std::nan("")), "");
}

TEST(BackgroundTagRead, ReadsEveryRowInOrderInBatches) {
  std::map<std::string, double> tagged;
  TagReadRequest request;
  request.listing = 7;
  const int rows = 2 * BackgroundTagRead::kBatch + 10;
  for (int row = 0; row < rows; ++row) {
    const std::string path = "/m/" + std::to_string(row) + ".mp3";
    if (row % 3 == 0) tagged[path] = 60.0 + row;
    request.items.push_back({row, path, {}});
  }
  FixedTags reader(tagged);
  MemoryMessageQueue queue;
  BackgroundTagRead read(queue, reader);
  read.Start(request);
  std::vector<TagReadItem> results;
  for (int batch = 0; batch < 3; ++batch) {
    PostedMessage message{};
    ASSERT_TRUE(queue.Take(message, kPatience));
    EXPECT_EQ(message.message, BackgroundTagRead::kTagsRead);
    EXPECT_EQ(message.wParam, 7u);
    TagReadRequest taken = read.TakeResults();
    EXPECT_EQ(taken.listing, 7u);
    for (TagReadItem& item : taken.items) results.push_back(std::move(item));
  }
  ASSERT_EQ(results.size(), static_cast<size_t>(rows));
  for (int row = 0; row < rows; ++row) {
    EXPECT_EQ(results[static_cast<size_t>(row)].row, row);
    EXPECT_EQ(results[static_cast<size_t>(row)].text, row % 3 == 0 ? std::to_string(60 + row) : "");
  }
  EXPECT_TRUE(read.TakeResults().items.empty());
}

TEST(BackgroundTagRead, ANewStartDropsWhatTheOldOneReadAndNotTaken) {
  FixedTags reader({{"/m/a.mp3", 120.0}});
  MemoryMessageQueue queue;
  BackgroundTagRead read(queue, reader);
  read.Start({1, {{0, "/m/a.mp3", {}}}});
  PostedMessage message{};
  ASSERT_TRUE(queue.Take(message, kPatience));
  read.Start({2, {{0, "/m/b.mp3", {}}}});
  ASSERT_TRUE(queue.Take(message, kPatience));
  EXPECT_EQ(message.wParam, 2u);
  const TagReadRequest taken = read.TakeResults();
  EXPECT_EQ(taken.listing, 2u);
  ASSERT_EQ(taken.items.size(), 1u);
  EXPECT_EQ(taken.items[0].path, "/m/b.mp3");
  EXPECT_EQ(taken.items[0].text, "");
  read.Cancel();
  EXPECT_TRUE(read.TakeResults().items.empty());
}
