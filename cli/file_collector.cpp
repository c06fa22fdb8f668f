// Command-line path expansion. See file_collector.h.
#include "cli/file_collector.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "engine/audio_file_names.h"
#include "platform/folder_walk.h"
#include "platform/utf8_path.h"

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
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(Utf8Path(given), error);
    if (error || !std::filesystem::exists(status)) {
      const bool missing = !error || error == std::errc::no_such_file_or_directory;
      collection.files.push_back(
          {given, "cannot open: " + (missing ? std::string("no such file") : error.message())});
      continue;
    }
    if (!std::filesystem::is_directory(status)) {
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
