// The command line's option parsing, result lines and folder expansion.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "cli/analyze_options.h"
#include "cli/file_collector.h"
#include "cli/result_format.h"
#include "tests/support/temp_folder.h"

namespace {

bool Parse(std::vector<std::string> args, AnalyzeOptions* o, std::string* error) {
  return ParseAnalyzeOptions(args, o, error);
}

}  // namespace

TEST(AnalyzeOptions, AcceptsEveryOptionInBothSpellings) {
  AnalyzeOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"--jobs", "3", "--min-tempo=80", "--max-tempo", "160", "--format=json",
                     "--quiet", "a.mp3", "--", "--odd-name.mp3"},
                    &o, &error))
      << error;
  EXPECT_EQ(o.jobs, 3u);
  EXPECT_EQ(*o.minTempo, 80.0);
  EXPECT_EQ(*o.maxTempo, 160.0);
  EXPECT_EQ(o.format, OutputFormat::kJson);
  EXPECT_TRUE(o.quiet);
  EXPECT_EQ(o.paths, (std::vector<std::string>{"a.mp3", "--odd-name.mp3"}));
}

TEST(AnalyzeOptions, RefusesWhatIsOutOfRangeOrUnknown) {
  const std::vector<std::vector<std::string>> bad = {{},  // no path
                                                     {"--jobs", "0", "a"},
                                                     {"--jobs", "2.5", "a"},
                                                     {"--min-tempo", "29.9", "a"},
                                                     {"--min-tempo", "121", "a"},
                                                     {"--max-tempo", "119", "a"},
                                                     {"--max-tempo", "241", "a"},
                                                     {"--max-tempo", "nan", "a"},
                                                     {"--format", "xml", "a"},
                                                     {"--frobnicate", "a"},
                                                     {"a", "--jobs"}};
  for (const auto& args : bad) {
    AnalyzeOptions o;
    std::string error;
    EXPECT_FALSE(Parse(args, &o, &error));
    EXPECT_FALSE(error.empty());
  }
}

TEST(ResultFormat, TextCsvAndJsonLines) {
  TrackResult ok{"/music/a,b \"c\".mp3", true, 127.775, 61.5, 44100, ""};
  TrackResult bad{"/music/x.mp3", false, 0, 0, 0, "not an audio file we can read"};
  EXPECT_EQ(FormatResult(ok, OutputFormat::kText), "127.78\t/music/a,b \"c\".mp3");
  EXPECT_EQ(FormatResult(bad, OutputFormat::kText), "failed\t/music/x.mp3");
  EXPECT_EQ(FormatHeader(OutputFormat::kCsv), "path,bpm,status,duration,sample_rate");
  EXPECT_EQ(FormatResult(ok, OutputFormat::kCsv),
            "\"/music/a,b \"\"c\"\".mp3\",127.78,ok,61.500,44100");
  EXPECT_EQ(FormatResult(bad, OutputFormat::kCsv), "/music/x.mp3,,failed,0.000,");
  EXPECT_EQ(FormatResult(ok, OutputFormat::kJson),
            "{\"path\":\"/music/a,b \\\"c\\\".mp3\",\"bpm\":127.78,\"status\":\"ok\","
            "\"duration\":61.500,\"sample_rate\":44100}");
  EXPECT_EQ(FormatResult(bad, OutputFormat::kJson),
            "{\"path\":\"/music/x.mp3\",\"bpm\":null,\"status\":\"failed\",\"duration\":0.000,"
            "\"sample_rate\":null,\"reason\":\"not an audio file we can read\"}");
}

TEST(ResultFormat, JsonKeepsUtf8AndEscapesTheRest) {
  TrackResult r{"caf\xc3\xa9\t\xff.mp3", false, 0, 0, 0, ""};
  EXPECT_EQ(FormatResult(r, OutputFormat::kJson),
            "{\"path\":\"caf\xc3\xa9\\u0009\\u00ff.mp3\",\"bpm\":null,\"status\":\"failed\","
            "\"duration\":0.000,\"sample_rate\":null}");
}

TEST(FileCollector, FoldersGiveTheirAudioFilesSortedAndFilesStayAsGiven) {
  namespace fs = std::filesystem;
  TempFolder t;
  const fs::path root = t.Path();
  fs::create_directories(root / "b" / "deeper");
  fs::create_directories(root / "a");
  for (const char* name :
       {"b/2.mp3", "b/deeper/1.MP3", "a/z.wav", "a/cover.jpg", "a/x.mp3.bak", "top.Mp2"})
    std::fclose(std::fopen((root / name).c_str(), "w"));
  fs::create_directory_symlink(root, root / "b" / "loop");  // must not be followed
  fs::create_directory(root / "c.mp3");                     // a folder, not a file
  const Collection collected = CollectFiles(
      {(root / "a" / "cover.jpg").string(), root.string(), (root / "missing.mp3").string()});
  const std::vector<CollectedFile>& files = collected.files;
  std::vector<std::string> paths;
  for (const auto& f : files) paths.push_back(f.path.substr(root.string().size()));
  EXPECT_EQ(paths, (std::vector<std::string>{"/a/cover.jpg", "/a/z.wav", "/b/2.mp3",
                                             "/b/deeper/1.MP3", "/top.Mp2", "/missing.mp3"}));
  EXPECT_TRUE(files[0].error.empty());
  EXPECT_EQ(files.back().error, "cannot open: no such file");
  EXPECT_TRUE(collected.unreadableFolders.empty());
}
