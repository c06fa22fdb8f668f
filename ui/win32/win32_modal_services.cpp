// The dialog's modal windows on Windows. See win32_modal_services.h.
#include "ui/win32/win32_modal_services.h"

#include <commdlg.h>
#include <shobjidl.h>

#include <vector>

#include "platform/win32/wide_text.h"
#include "ui/display_text.h"

namespace {

// The longest path the save dialog hands back.
constexpr DWORD kLongestPath = 32768;

// Releases a COM object when it goes out of scope.
template <typename Interface>
class ComObject {
 public:
  ComObject() = default;
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;
  ~ComObject() {
    if (object_ != nullptr) object_->Release();
  }
  Interface** Receive() { return &object_; }
  Interface* operator->() const { return object_; }

 private:
  Interface* object_ = nullptr;
};

}  // namespace

void Win32ModalServices::ShowMessage(const std::string& text, const std::string& caption) {
  render_();
  // Paths in the text may not be UTF-8: shown with replacement characters.
  const std::wstring wideText = WideFromUtf8(DisplayText(text));
  const std::wstring wideCaption = WideFromUtf8(DisplayText(caption));
  MessageBoxW(owner_, wideText.c_str(), wideCaption.c_str(), MB_OK);
}

std::optional<std::string> Win32ModalServices::ChooseFolder(const std::string& title) {
  render_();
  ComObject<IFileOpenDialog> dialog;
  if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                              IID_PPV_ARGS(dialog.Receive()))))
    return std::nullopt;
  FILEOPENDIALOGOPTIONS options = 0;
  dialog->GetOptions(&options);
  dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
  const std::wstring wideTitle = WideFromUtf8(title);
  dialog->SetTitle(wideTitle.c_str());
  if (FAILED(dialog->Show(owner_))) return std::nullopt;  // also when cancelled
  ComObject<IShellItem> item;
  if (FAILED(dialog->GetResult(item.Receive()))) return std::nullopt;
  PWSTR path = nullptr;
  if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) return std::nullopt;
  std::string chosen = Utf8FromWide(path);
  CoTaskMemFree(path);
  return chosen;
}

std::optional<std::string> Win32ModalServices::ChooseSaveFile(const SaveFileRequest& request) {
  render_();
  std::vector<wchar_t> name(kLongestPath, L'\0');
  const std::wstring initial = WideFromUtf8(request.initialName);
  initial.copy(name.data(), std::min<size_t>(initial.size(), name.size() - 1));
  // The filter: label and pattern, each ended by a null, and a null after.
  std::wstring filter = WideFromUtf8(request.filterLabel);
  filter.push_back(L'\0');
  filter += WideFromUtf8(request.filterPattern);
  filter.push_back(L'\0');
  const std::wstring title = WideFromUtf8(request.title);
  const std::wstring extension = WideFromUtf8(request.defaultExtension);

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner_;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.lpstrTitle = title.c_str();
  dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  // No question whether to replace a file: the log is written as asked.
  dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetSaveFileNameW(&dialog)) return std::nullopt;
  return Utf8FromWide(name.data());
}
