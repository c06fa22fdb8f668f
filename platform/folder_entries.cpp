// What a walk does with a folder's entries. See folder_entries.h.
#include "platform/folder_entries.h"

void VisitFolderEntries(
    const std::string& folder, const std::vector<FolderEntry>& entries,
    const FolderWalkRules& rules, FolderWalkVisitor& visitor,
    const std::function<void(const std::string& path, bool throughLink)>& enter) {
  for (const FolderEntry& entry : entries) {
    if (visitor.StopRequested()) return;
    switch (entry.kind) {
      case FolderEntryKind::kFolder:
        enter(JoinPath(folder, entry.name), false);
        break;
      case FolderEntryKind::kFolderLink:
        if (rules.followFolderLinks) enter(JoinPath(folder, entry.name), true);
        break;
      case FolderEntryKind::kOtherFile:
        if (rules.regularFilesOnly) break;
        [[fallthrough]];
      case FolderEntryKind::kRegularFile:
        if (rules.takeName == nullptr || rules.takeName(entry.name))
          visitor.OnFile(JoinPath(folder, entry.name));
        break;
      case FolderEntryKind::kSkip:
        break;
    }
  }
}
