// Win32ModalServices: the dialog's modal windows on Windows: the message box
// (MessageBoxW, OK only, no icon, the caption and text the logic gives), the
// folder chooser (the shell's IFileOpenDialog picking folders) and the save
// dialog (GetSaveFileNameW with the request's title, filter and default
// extension, and no question about replacing a file). Each renders the
// owner's controls first, so the user sees what led to the question.
#pragma once

#include <windows.h>

#include <functional>

#include "ui/folder_chooser.h"
#include "ui/message_box_service.h"
#include "ui/save_file_chooser.h"

class Win32ModalServices : public MessageBoxService, public FolderChooser, public SaveFileChooser {
 public:
  explicit Win32ModalServices(std::function<void()> render) : render_(std::move(render)) {}
  // The window the modal windows belong to, once it exists.
  void SetOwner(HWND owner) { owner_ = owner; }

  void ShowMessage(const std::string& text, const std::string& caption) override;
  std::optional<std::string> ChooseFolder(const std::string& title) override;
  std::optional<std::string> ChooseSaveFile(const SaveFileRequest& request) override;

 private:
  HWND owner_ = nullptr;
  std::function<void()> render_;
};
