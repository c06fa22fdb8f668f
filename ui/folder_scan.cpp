// The window's folder scan. See folder_scan.h.
#include "ui/folder_scan.h"

#include "platform/folder_walk.h"
#include "ui/track_list.h"

namespace {

class PathCollector : public FolderWalkVisitor {
 public:
  PathCollector(const std::atomic<bool>* stop, std::atomic<int>* found)
      : stop_(stop), found_(found) {}

  void OnFile(const std::string& path) override {
    paths_.push_back(path);
    if (found_ != nullptr) found_->fetch_add(1, std::memory_order_relaxed);
  }
  void OnFolderError(const std::string&, int) override {}
  bool StopRequested() const override {
    return stop_ != nullptr && stop_->load(std::memory_order_relaxed);
  }

  std::vector<std::string> Take() { return std::move(paths_); }

 private:
  const std::atomic<bool>* stop_;
  std::atomic<int>* found_;
  std::vector<std::string> paths_;
};

FolderWalkRules WindowListingRules(AudioFormats formats) {
  FolderWalkRules rules;
  if (formats == AudioFormats::kEveryFormat)
    rules.takeName = [](std::string_view name) {
      return IsListedAudioName(name, AudioFormats::kEveryFormat);
    };
  else
    rules.takeName = [](std::string_view name) { return IsListedAudioName(name); };
  rules.followFolderLinks = true;
  rules.regularFilesOnly = false;
  return rules;
}

}  // namespace

bool IsListedAudioName(std::string_view name) {
  const std::string_view tail = name.size() > 4 ? name.substr(name.size() - 4) : name;
  // ASCII lower case, as the C locale has it, whatever the process's locale.
  std::string lower(tail);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower == ".mp3" || lower == ".wav";
}

bool IsListedAudioName(std::string_view name, AudioFormats formats) {
  if (formats == AudioFormats::kMpegAndWave) return IsListedAudioName(name);
  return IsAudioFileName(name, AudioFormats::kEveryFormat);
}

int ScanFolder(const std::string& folder, TrackList& tracks) {
  std::vector<std::string> paths = ScanFolderPaths(folder);
  for (std::string& path : paths) tracks.AppendRow(std::move(path));
  return static_cast<int>(paths.size());
}

std::vector<std::string> ScanFolderPaths(const std::string& folder, const std::atomic<bool>* stop,
                                         std::atomic<int>* found, AudioFormats formats) {
  PathCollector collector(stop, found);
  WalkFolder(folder, WindowListingRules(formats), collector);
  return collector.Take();
}
