// The command line's option parsing, result lines, name quoting, checked
// output and folder expansion. Built into the Windows suite too, where the
// folder expansion is checked end to end instead (tests/windows/
// windows_cli.sh): this test's tree holds a symbolic link, which Windows
// lets only privileged users make.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "cli/analyze_options.h"
#include "cli/file_collector.h"
#include "cli/output_stream.h"
#include "cli/result_format.h"
#include "cli/text_encoding.h"
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
            "{\"path\":\"caf\xc3\xa9\\u0009\\u00ff.mp3\",\"path_bytes\":\"Y2Fmw6kJ/y5tcDM=\","
            "\"bpm\":null,\"status\":\"failed\",\"duration\":0.000,\"sample_rate\":null}");
}

TEST(ResultFormat, NamesThatAreNotUtf8KeepTheirBytesInJson) {
  // "\xe9" (Latin-1) and "\xc3\xa9" (UTF-8) both show as an e with an
  // acute accent: only the first needs, and gets, its bytes.
  TrackResult latin{"caf\xe9.mp3", false, 0, 0, 0, ""};
  TrackResult utf8{"caf\xc3\xa9.mp3", false, 0, 0, 0, ""};
  EXPECT_EQ(FormatResult(latin, OutputFormat::kJson),
            "{\"path\":\"caf\\u00e9.mp3\",\"path_bytes\":\"Y2Fm6S5tcDM=\",\"bpm\":null,"
            "\"status\":\"failed\",\"duration\":0.000,\"sample_rate\":null}");
  EXPECT_EQ(FormatResult(utf8, OutputFormat::kJson).find("path_bytes"), std::string::npos);
}

TEST(ResultFormat, TextQuotesOnlyNamesWithControlCharacters) {
  TrackResult r{"", true, 120, 0, 0, ""};
  const struct {
    std::string name, text;
  } cases[] = {
      {"plain name, it's.mp3", "120.00\tplain name, it's.mp3"},
      {"caf\xc3\xa9.mp3", "120.00\tcaf\xc3\xa9.mp3"},
      {"new\nline.mp3", "120.00\t'new'$'\\n''line.mp3'"},
      {"it's\tx.mp3", "120.00\t'it'\\''s'$'\\t''x.mp3'"},
      {"esc\x1b[31mred.mp3", "120.00\t'esc'$'\\033''[31mred.mp3'"},
      // A C1 control in UTF-8, and the same as a byte of its own, and a
      // byte that is not UTF-8 beside them.
      {"c1\xc2\x9b.mp3", "120.00\t'c1'$'\\302\\233''.mp3'"},
      {"\x9b\xe9\n.mp3", "120.00\t$'\\233\\351\\n''.mp3'"},
  };
  for (const auto& c : cases) {
    r.path = c.name;
    EXPECT_EQ(FormatResult(r, OutputFormat::kText), c.text);
  }
}

TEST(TextEncoding, Base64OfTheStandardsExamples) {
  const char* const expected[] = {"", "Zg==", "Zm8=", "Zm9v", "Zm9vYg==", "Zm9vYmE=", "Zm9vYmFy"};
  for (size_t n = 0; n <= 6; ++n) EXPECT_EQ(Base64(std::string_view("foobar", n)), expected[n]);
  EXPECT_EQ(Base64(std::string("\xff\x00\xfe", 3)), "/wD+");
}

TEST(TextEncoding, Utf8Validity) {
  EXPECT_TRUE(IsValidUtf8("plain \xc3\xa9 \xe2\x82\xac \xf0\x9f\x8e\xb5"));
  for (const char* bad : {"\xe9", "\xc3", "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xff"})
    EXPECT_FALSE(IsValidUtf8(bad)) << bad;
}

TEST(OutputStream, AFailedWriteIsKeptAndReported) {
  std::FILE* full = std::fopen("/dev/full", "w");
  if (full == nullptr) GTEST_SKIP() << "no /dev/full";
  OutputStream out(full, "/dev/full");
  // Buffered, the line fails when it is flushed; nothing later is tried.
  EXPECT_FALSE(out.WriteLine("120.00\ta.mp3"));
  EXPECT_TRUE(out.Failed());
  EXPECT_FALSE(out.Write("more"));
  EXPECT_FALSE(out.Finish());
  EXPECT_EQ(out.ErrorText(), "cannot write /dev/full: No space left on device");

  TempFolder t;
  std::FILE* file = std::fopen(t.File("out.txt").c_str(), "wb");
  ASSERT_NE(file, nullptr);
  OutputStream good(file, "out.txt");
  EXPECT_TRUE(good.WriteLine("a"));
  EXPECT_TRUE(good.Write(std::string_view("b\n")));
  EXPECT_TRUE(good.Finish());
  EXPECT_EQ(std::filesystem::file_size(t.File("out.txt")), 4u);
}

#if !defined(_WIN32)
TEST(FileCollector, FoldersGiveTheirAudioFilesSortedAndFilesStayAsGiven) {
  namespace fs = std::filesystem;
  TempFolder t;
  const fs::path root = t.Path();
  fs::create_directories(root / "b" / "deeper");
  fs::create_directories(root / "a");
  for (const char* name : {"b/2.mp3", "b/deeper/1.MP3", "a/z.wav", "a/cover.jpg", "a/x.mp3.bak",
                           "top.Mp2", "a/y.flac", "b/deeper/0.M4A", "a/notes.txt"})
    std::fclose(std::fopen((root / name).c_str(), "w"));
  fs::create_directory_symlink(root, root / "b" / "loop");  // must not be followed
  fs::create_directory(root / "c.mp3");                     // a folder, not a file
  const Collection collected = CollectFiles(
      {(root / "a" / "cover.jpg").string(), root.string(), (root / "missing.mp3").string()});
  const std::vector<CollectedFile>& files = collected.files;
  std::vector<std::string> paths;
  for (const auto& f : files) paths.push_back(f.path.substr(root.string().size()));
  // Every audio format's files, not only MPEG audio and WAVE.
  EXPECT_EQ(paths, (std::vector<std::string>{"/a/cover.jpg", "/a/y.flac", "/a/z.wav", "/b/2.mp3",
                                             "/b/deeper/0.M4A", "/b/deeper/1.MP3", "/top.Mp2",
                                             "/missing.mp3"}));
  EXPECT_TRUE(files[0].error.empty());
  EXPECT_EQ(files.back().error, "cannot open: no such file");
  EXPECT_TRUE(collected.unreadableFolders.empty());
}
#endif
