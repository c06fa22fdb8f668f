// The track list's rows: what a new row holds, the byte-wise sort, the
// selected count, and one change signal per row change.
#include "ui/track_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct SignalRecorder : TrackListObserver {
  void OnRowChanged(int row) override { changed.push_back(row); }
  void OnRowsReset() override { ++resets; }
  std::vector<int> changed;
  int resets = 0;
};

}  // namespace

TEST(TrackList, NewRowsAreSelectedWithTheirIndexAsItemData) {
  TrackList tracks;
  tracks.AppendRow("/m/b.mp3");
  tracks.AppendRow("/m/a.mp3");
  ASSERT_EQ(tracks.RowCount(), 2);
  EXPECT_EQ(tracks.Row(1).fileName, "/m/a.mp3");
  EXPECT_EQ(tracks.Row(1).bpm, "");
  EXPECT_EQ(tracks.Row(1).image, RowImage::kNone);
  EXPECT_EQ(tracks.Row(1).itemData, 1);
  EXPECT_TRUE(tracks.Row(1).selected);
  EXPECT_EQ(tracks.SelectedCount(), 2);
}

TEST(TrackList, SortsByteWiseAndRowsKeepTheirValues) {
  TrackList tracks;
  for (const char* name :
       {"/m/b.wav", "/m/x/c.mp3", "/m/Song.MP3", "/m/\xc3\xa9t\xc3\xa9.mp3", "/m/_u.mp3"})
    tracks.AppendRow(name);
  tracks.SetBpm(0, "127.86");
  tracks.SortByFileName();
  // Upper case before '_' before lower case; UTF-8 bytes above 127 last.
  const std::vector<std::string> expected{"/m/Song.MP3", "/m/_u.mp3", "/m/b.wav", "/m/x/c.mp3",
                                          "/m/\xc3\xa9t\xc3\xa9.mp3"};
  for (int row = 0; row < 5; ++row) EXPECT_EQ(tracks.Row(row).fileName, expected[row]);
  EXPECT_EQ(tracks.Row(2).bpm, "127.86");
  EXPECT_EQ(tracks.Row(2).itemData, 0);  // the index it was added at
  EXPECT_EQ(tracks.Row(0).itemData, 2);
}

TEST(TrackList, EveryRowChangeSignalsOnceAndTheSelectedCountFollows) {
  TrackList tracks;
  SignalRecorder recorder;
  tracks.AddObserver(&recorder);
  tracks.AppendRow("/a.mp3");
  tracks.AppendRow("/b.mp3");
  tracks.SetSelected(0, false);
  tracks.SetBpm(1, "120.00");
  tracks.SetImage(1, RowImage::kAnalysed);
  tracks.SetItemData(1, 1);
  TrackRow values = tracks.Row(1);
  values.selected = false;
  tracks.SetRow(1, values);
  EXPECT_EQ(recorder.changed, (std::vector<int>{0, 1, 0, 1, 1, 1, 1}));
  EXPECT_EQ(tracks.SelectedCount(), 0);
  tracks.SetSelected(1, true);
  tracks.SetSelected(1, true);  // no change of the count, still a signal
  EXPECT_EQ(tracks.SelectedCount(), 1);
  tracks.SortByFileName();
  tracks.DeleteAllRows();
  EXPECT_EQ(recorder.resets, 2);
  EXPECT_EQ(tracks.SelectedCount(), 0);
  tracks.RemoveObserver(&recorder);
  tracks.AppendRow("/c.mp3");
  EXPECT_EQ(recorder.changed.size(), 9u);
}
