// The tempo tag through the platform's own file services, on both systems
// (the Linux suite and the Windows suite under wine): a demo track gets a
// TBPM tag by a rewrite beside it (no tag to overwrite in place), then a
// second value in place; the audio stays the same bytes, no temporary file
// stays behind, a non-ASCII name works, and a file marked read-only is
// refused and unchanged.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/path.h"
#include "platform/utf8_path.h"
#include "tags/tempo_tag.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

std::string Read(const std::string& path) {
  std::FILE* file = OpenStdioFile(path, "rb");
  if (file == nullptr) return {};
  std::string content;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, n);
  std::fclose(file);
  return content;
}

size_t FilesIn(const std::string& folder) {
  size_t count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(Utf8Path(folder))) ++count;
  return count;
}

}  // namespace

TEST(TagRoundTrip, ADemoTrackTakesATempoTagAndKeepsItsAudio) {
  TempFolder folder;
  const std::string original = std::string(TEMPYRA_DEMO_FOLDER) + "/house-128bpm.mp3";
  const std::string path = JoinPath(folder.Path(), "Caf\xC3\xA9 \xCE\xA9mega.mp3");
  fs::copy_file(Utf8Path(original), Utf8Path(path));
  const std::string audio = Read(path);
  ASSERT_GT(audio.size(), 100000u);
  EXPECT_EQ(ReadTempoTag(path).status, TempoTagReading::Status::kNoTempo);

  const TempoTagWriting first = WriteTempoTag(path, 127.76, 0);
  ASSERT_TRUE(first.ok) << first.error;
  EXPECT_FALSE(first.inPlace);
  EXPECT_EQ(first.text, "128");
  const std::string tagged = Read(path);
  ASSERT_GT(tagged.size(), audio.size());
  EXPECT_EQ(tagged.substr(0, 3), "ID3");
  EXPECT_EQ(tagged.substr(tagged.size() - audio.size()), audio);
  EXPECT_EQ(FilesIn(folder.Path()), 1u);

  const TempoTagReading reading = ReadTempoTag(path);
  EXPECT_EQ(reading.status, TempoTagReading::Status::kTempo);
  EXPECT_EQ(reading.bpm, 128.0);

  const TempoTagWriting second = WriteTempoTag(path, 127.76, 2);
  ASSERT_TRUE(second.ok) << second.error;
  EXPECT_TRUE(second.inPlace);
  EXPECT_EQ(ReadTempoTag(path).text, "127.76");
  const std::string retagged = Read(path);
  EXPECT_EQ(retagged.size(), tagged.size());
  EXPECT_EQ(retagged.substr(retagged.size() - audio.size()), audio);
  EXPECT_EQ(FilesIn(folder.Path()), 1u);
}

TEST(TagRoundTrip, AFileMarkedReadOnlyIsRefusedAndUnchanged) {
  TempFolder folder;
  const std::string path = JoinPath(folder.Path(), "read-only.mp3");
  fs::copy_file(Utf8Path(std::string(TEMPYRA_DEMO_FOLDER) + "/steady-140bpm.mp3"), Utf8Path(path));
  const std::string before = Read(path);
  fs::permissions(Utf8Path(path),
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const TempoTagWriting writing = WriteTempoTag(path, 140.0, 0);
  EXPECT_FALSE(writing.ok);
  EXPECT_NE(writing.error.find("read-only"), std::string::npos) << writing.error;
  EXPECT_EQ(Read(path), before);
  EXPECT_EQ(FilesIn(folder.Path()), 1u);
}

TEST(TagRoundTrip, WhatIsNoFileGivesAReasonNotATag) {
  TempFolder folder;
  EXPECT_EQ(ReadTempoTag(folder.Path()).status, TempoTagReading::Status::kError);
  EXPECT_EQ(ReadTempoTag(JoinPath(folder.Path(), "missing.mp3")).status,
            TempoTagReading::Status::kError);
  EXPECT_FALSE(WriteTempoTag(JoinPath(folder.Path(), "missing.mp3"), 120.0, 0).ok);
  EXPECT_FALSE(WriteTempoTag(folder.Path(), 120.0, 0).ok);
}
