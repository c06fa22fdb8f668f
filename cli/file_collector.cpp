// Command-line path expansion. See file_collector.h.
#include "cli/file_collector.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "engine/audio_file_names.h"
#include "platform/folder_walk.h"

namespace {

// Gathers a folder's audio files and its unreadable folders.
class Gatherer : public FolderWalkVisitor {
 public:
  explicit Gatherer(Collection& collection) : collection_(collection) {}
  void OnFile(const std::string& path) override { found.push_back(path); }
  void OnFolderError(const std::string& path, int errorNumber) override {
    collection_.unreadableFolders.push_back({path, std::strerror(errorNumber)});
  }
  std::vector<std::string> found;

 private:
  Collection& collection_;
};

bool TakesName(std::string_view name) {
  return IsAudioFileName(name, AudioFormats::kEveryFormat);
}

}  // namespace

Collection CollectFiles(const std::vector<std::string>& paths) {
  Collection collection;
  FolderWalkRules rules;
  rules.takeName = TakesName;
  rules.followFolderLinks = false;
  rules.regularFilesOnly = true;
  for (const std::string& given : paths) {
    struct stat st;
    if (stat(given.c_str(), &st) != 0) {
      const int error = errno;
      collection.files.push_back(
          {given,
           "cannot open: " + std::string(error == ENOENT ? "no such file" : std::strerror(error))});
      continue;
    }
    if (!S_ISDIR(st.st_mode)) {
      collection.files.push_back({given, ""});
      continue;
    }
    Gatherer gatherer(collection);
    WalkFolder(given, rules, gatherer);
    std::sort(gatherer.found.begin(), gatherer.found.end(),
              [](const std::string& a, const std::string& b) {
                return std::strcmp(a.c_str(), b.c_str()) < 0;
              });
    for (std::string& path : gatherer.found) collection.files.push_back({std::move(path), ""});
  }
  return collection;
}
