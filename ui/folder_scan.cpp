// The window's folder scan. See folder_scan.h.
#include "ui/folder_scan.h"

#include "platform/folder_walk.h"
#include "ui/track_list.h"

namespace {

class RowAdder : public FolderWalkVisitor {
 public:
  explicit RowAdder(TrackList& tracks) : tracks_(tracks) {}

  void OnFile(const std::string& path) override {
    tracks_.AppendRow(path);
    ++added_;
  }
  // A folder that cannot be searched adds nothing; the scan goes on.
  void OnFolderError(const std::string&, int) override {}

  int Added() const { return added_; }

 private:
  TrackList& tracks_;
  int added_ = 0;
};

}  // namespace

bool IsListedAudioName(std::string_view name) {
  const std::string_view tail = name.size() > 4 ? name.substr(name.size() - 4) : name;
  // ASCII lower case, as the C locale has it, whatever the process's locale.
  std::string lower(tail);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower == ".mp3" || lower == ".wav";
}

int ScanFolder(const std::string& folder, TrackList& tracks) {
  FolderWalkRules rules;
  rules.takeName = IsListedAudioName;
  rules.followFolderLinks = true;
  rules.regularFilesOnly = false;
  RowAdder adder(tracks);
  WalkFolder(folder, rules, adder);
  return adder.Added();
}
