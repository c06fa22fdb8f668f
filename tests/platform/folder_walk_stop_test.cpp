// The folder walk asked to stop, on a real folder tree: it ends where the
// visitor asks, on Linux and on Windows (built into both platform suites).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/folder_walk.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

// Asks to stop once it has been given `limit` files.
struct StoppingRecorder : FolderWalkVisitor {
  explicit StoppingRecorder(size_t stopAt) : limit(stopAt) {}
  void OnFile(const std::string& path) override { files.push_back(path); }
  void OnFolderError(const std::string&, int) override { ++errors; }
  bool StopRequested() const override { return files.size() >= limit; }
  size_t limit;
  std::vector<std::string> files;
  int errors = 0;
};

}  // namespace

// Forty files in four folders: a walk stopped after five files gives those
// five and enters no further folder; one never stopped gives all forty.
TEST(FolderWalk, EndsWhenTheVisitorAsksToStop) {
  TempFolder t;
  for (const char* folder : {"f0", "f1", "f2", "f3"}) {
    fs::create_directories(t.File(folder));
    for (const char* file : {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"})
      std::ofstream(t.File(folder) + "/t" + file + ".mp3") << "x";
  }

  StoppingRecorder stopped(5);
  ASSERT_TRUE(WalkFolder(t.Path(), FolderWalkRules{}, stopped));
  EXPECT_EQ(stopped.files.size(), 5u);
  EXPECT_EQ(stopped.errors, 0);

  StoppingRecorder whole(1000);
  ASSERT_TRUE(WalkFolder(t.Path(), FolderWalkRules{}, whole));
  EXPECT_EQ(whole.files.size(), 40u);
}
