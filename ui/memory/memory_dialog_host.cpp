// The main dialog's window services in memory. See memory_dialog_host.h.
#include "ui/memory/memory_dialog_host.h"

std::optional<std::string> MemoryDialogHost::ChooseFolder(const std::string& title) {
  folderTitles.push_back(title);
  if (folderAnswers.empty()) return std::nullopt;
  std::optional<std::string> answer = folderAnswers.front();
  folderAnswers.pop_front();
  return answer;
}

std::optional<std::string> MemoryDialogHost::ChooseSaveFile(const SaveFileRequest& request) {
  saveRequests.push_back(request);
  if (saveAnswers.empty()) return std::nullopt;
  std::optional<std::string> answer = saveAnswers.front();
  saveAnswers.pop_front();
  if (answer) answer = AddDefaultExtension(*answer, request.defaultExtension);
  return answer;
}
