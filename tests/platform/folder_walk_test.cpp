// The folder walk on real folder trees made in a temporary folder: order,
// the name and file-kind rules, link loops and unreadable folders.
#include "platform/folder_walk.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <map>

#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

struct Recorder : FolderWalkVisitor {
  void OnFile(const std::string& path) override { files.push_back(path); }
  void OnFolderError(const std::string& path, int errorNumber) override {
    errors[path] = errorNumber;
  }
  std::vector<std::string> files;
  std::map<std::string, int> errors;
};

void Touch(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "w");
  ASSERT_NE(f, nullptr) << path;
  std::fclose(f);
}

bool EndsInMp3(std::string_view name) {
  return name.size() >= 4 && name.substr(name.size() - 4) == ".mp3";
}

// Paths relative to the folder, in walk order.
std::vector<std::string> Relative(const std::vector<std::string>& paths, const TempFolder& t) {
  std::vector<std::string> out;
  for (const std::string& p : paths) out.push_back(p.substr(t.Path().size() + 1));
  return out;
}

std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

}  // namespace

TEST(FolderWalk, JoinsWithExactlyOneSeparator) {
  EXPECT_EQ(JoinPath("/", "a.mp3"), "/a.mp3");
  EXPECT_EQ(JoinPath("/music", "a.mp3"), "/music/a.mp3");
  EXPECT_EQ(JoinPath("/music/", "a.mp3"), "/music/a.mp3");
  EXPECT_EQ(JoinPath("", "a.mp3"), "a.mp3");
}

// Every file once; a subfolder's files come together, at the point where
// the subfolder was met (depth first), whatever order the file system
// returns the entries in.
TEST(FolderWalk, ListsEveryFileOnceDepthFirst) {
  TempFolder t;
  fs::create_directories(t.File("x/y"));
  fs::create_directories(t.File(".hidden"));
  for (const char* name : {"a.mp3", "b.wav", "x/c.mp3", "x/y/d.mp3", "x/e.mp3", ".hidden/f.mp3",
                           "g.mp3", "x.mp3dir.txt"})
    Touch(t.File(name));
  fs::create_directory(t.File("folder.mp3"));  // a folder is walked, never taken as a file
  Touch(t.File("folder.mp3/h.mp3"));

  Recorder r;
  FolderWalkRules rules;
  rules.takeName = EndsInMp3;
  ASSERT_TRUE(WalkFolder(t.Path(), rules, r));
  const std::vector<std::string> got = Relative(r.files, t);
  EXPECT_EQ(Sorted(got), Sorted({"a.mp3", "x/c.mp3", "x/y/d.mp3", "x/e.mp3", ".hidden/f.mp3",
                                 "g.mp3", "folder.mp3/h.mp3"}));
  EXPECT_TRUE(r.errors.empty());

  // The files below x/ form one run; x/y/ sits inside it as a run of its own.
  auto inside = [](const std::string& p, const std::string& folder) {
    return p.compare(0, folder.size(), folder) == 0;
  };
  for (const std::string folder : {"x/", "x/y/", ".hidden/", "folder.mp3/"}) {
    auto first = std::find_if(got.begin(), got.end(), [&](auto& p) { return inside(p, folder); });
    auto last = std::find_if(got.rbegin(), got.rend(), [&](auto& p) { return inside(p, folder); });
    ASSERT_NE(first, got.end());
    for (auto it = first; it != last.base(); ++it) EXPECT_TRUE(inside(*it, folder)) << *it;
  }
}

TEST(FolderWalk, TheFileKindRuleDecidesOnPipesAndDanglingLinks) {
  TempFolder t;
  Touch(t.File("real.mp3"));
  ASSERT_EQ(mkfifo(t.File("pipe.mp3").c_str(), 0600), 0);
  fs::create_symlink(t.File("missing.mp3"), t.File("dangling.mp3"));
  fs::create_symlink(t.File("real.mp3"), t.File("link.mp3"));

  Recorder every;
  FolderWalkRules rules;
  ASSERT_TRUE(WalkFolder(t.Path(), rules, every));
  EXPECT_EQ(Sorted(Relative(every.files, t)),
            Sorted({"real.mp3", "pipe.mp3", "dangling.mp3", "link.mp3"}));

  Recorder regular;
  rules.regularFilesOnly = true;
  ASSERT_TRUE(WalkFolder(t.Path(), rules, regular));
  EXPECT_EQ(Sorted(Relative(regular.files, t)), Sorted({"real.mp3", "link.mp3"}));
}

// A link to a parent folder, and two links to one folder: the walk ends and
// lists every file once. Without following, links to folders are passed over.
TEST(FolderWalk, FolderLinksNeverLoopNorRepeat) {
  TempFolder t;
  fs::create_directories(t.File("music/sub"));
  fs::create_directories(t.File("elsewhere"));
  Touch(t.File("music/a.mp3"));
  Touch(t.File("music/sub/b.mp3"));
  Touch(t.File("elsewhere/c.mp3"));
  fs::create_directory_symlink(t.File("music"), t.File("music/sub/up"));
  fs::create_directory_symlink(t.File("music/sub"), t.File("music/sub/self"));
  fs::create_directory_symlink(t.File("elsewhere"), t.File("music/there1"));
  fs::create_directory_symlink(t.File("elsewhere"), t.File("music/there2"));

  Recorder followed;
  FolderWalkRules rules;
  rules.followFolderLinks = true;
  ASSERT_TRUE(WalkFolder(t.File("music"), rules, followed));
  std::vector<std::string> got = Relative(followed.files, t);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(std::count(got.begin(), got.end(), "music/a.mp3"), 1);
  EXPECT_EQ(std::count(got.begin(), got.end(), "music/sub/b.mp3"), 1);
  // c.mp3 through whichever of the two links came first.
  EXPECT_EQ(std::count_if(got.begin(), got.end(),
                          [](const std::string& p) { return p.ends_with("/c.mp3"); }),
            1);

  Recorder notFollowed;
  rules.followFolderLinks = false;
  ASSERT_TRUE(WalkFolder(t.File("music"), rules, notFollowed));
  EXPECT_EQ(Sorted(Relative(notFollowed.files, t)), Sorted({"music/a.mp3", "music/sub/b.mp3"}));
  EXPECT_TRUE(notFollowed.errors.empty());
}

TEST(FolderWalk, AMissingFolderIsReportedAndGivesNothing) {
  TempFolder t;
  Recorder r;
  EXPECT_FALSE(WalkFolder(t.File("none"), FolderWalkRules(), r));
  EXPECT_TRUE(r.files.empty());
  ASSERT_EQ(r.errors.size(), 1u);
  EXPECT_EQ(r.errors.begin()->first, t.File("none"));
  EXPECT_EQ(r.errors.begin()->second, ENOENT);
}

// An unreadable subfolder is reported and skipped; the walk goes on with the
// rest. Permissions do not bind root, so the walk runs in a child process
// that gives up root first.
TEST(FolderWalk, AnUnreadableSubfolderIsReportedAndSkipped) {
  TempFolder t;
  chmod(t.Path().c_str(), 0755);
  fs::create_directories(t.File("locked/inner"));
  Touch(t.File("a.mp3"));
  Touch(t.File("locked/hidden.mp3"));
  Touch(t.File("z.mp3"));
  chmod(t.File("locked").c_str(), 0);

  const ChildResult walked = RunInChild(true, [&](std::string& report) {
    Recorder r;
    WalkFolder(t.Path(), FolderWalkRules(), r);
    for (const auto& f : r.files) report += "file " + f + "\n";
    for (const auto& [path, error] : r.errors)
      report += "error " + path + " " + std::to_string(error) + "\n";
    return true;
  });
  ASSERT_TRUE(walked.ok);
  const std::string& report = walked.output;
  EXPECT_NE(report.find("file " + t.File("a.mp3") + "\n"), std::string::npos) << report;
  EXPECT_NE(report.find("file " + t.File("z.mp3") + "\n"), std::string::npos) << report;
  EXPECT_EQ(report.find("hidden.mp3"), std::string::npos) << report;
  EXPECT_NE(report.find("error " + t.File("locked") + " " + std::to_string(EACCES)),
            std::string::npos)
      << report;
}
