// ModalServices: the dialog's modal windows in wxWidgets: the message box
// (OK only, no icon; names shown as DisplayText and long paths broken into
// lines that fit the screen), the folder browser (wxDirDialog) and the save dialog
// (wxFileDialog without an overwrite question; the default extension is
// added to a name without one, as the desktop's dialog does not). Each is
// owned by the main window, which renders the dialog's state first, so the
// user sees what led to the question.
#pragma once

#include <wx/window.h>

#include <functional>

#include "ui/folder_chooser.h"
#include "ui/message_box_service.h"
#include "ui/save_file_chooser.h"

class ModalServices : public MessageBoxService, public FolderChooser, public SaveFileChooser {
 public:
  // `render` brings the owner's controls up to date before a modal window.
  ModalServices(wxWindow* owner, std::function<void()> render)
      : owner_(owner), render_(std::move(render)) {}

  void ShowMessage(const std::string& text, const std::string& caption) override;
  std::optional<std::string> ChooseFolder(const std::string& title) override;
  std::optional<std::string> ChooseSaveFile(const SaveFileRequest& request) override;

 private:
  wxWindow* owner_;
  std::function<void()> render_;
};
