// The dialog's modal windows in wxWidgets. See modal_services.h.
#include "ui/wx/modal_services.h"

#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>

#include "ui/display_text.h"
#include "ui/message_text.h"

namespace {

// The widest line of a message, in average characters of the window's
// font: about 500 pixels at the usual font, so that a box fits 1366 x 768.
constexpr int kMessageLineCharacters = 64;

}  // namespace

void ModalServices::ShowMessage(const std::string& text, const std::string& caption) {
  render_();
  // Paths in the text may not be UTF-8: shown with replacement characters.
  // Long paths are broken into lines so that the box fits a small screen.
  const int maxWidth = kMessageLineCharacters * owner_->GetCharWidth();
  const std::string shown =
      BreakLongLines(DisplayText(text), maxWidth, [this](std::string_view line) {
        int width = 0;
        int height = 0;
        owner_->GetTextExtent(wxString::FromUTF8(line.data(), line.size()), &width, &height);
        return width;
      });
  wxMessageDialog box(owner_, wxString::FromUTF8(shown), wxString::FromUTF8(DisplayText(caption)),
                      wxOK | wxICON_NONE);
  box.ShowModal();
}

std::optional<std::string> ModalServices::ChooseFolder(const std::string& title) {
  render_();
  wxDirDialog chooser(owner_, wxString::FromUTF8(title), wxEmptyString,
                      wxDD_DEFAULT_STYLE | wxDD_DIR_MUST_EXIST);
  if (chooser.ShowModal() != wxID_OK) return std::nullopt;
  // The path in the file system's own bytes, which need not be UTF-8.
  return std::string(chooser.GetPath().fn_str());
}

std::optional<std::string> ModalServices::ChooseSaveFile(const SaveFileRequest& request) {
  render_();
  const wxString filter =
      wxString::FromUTF8(request.filterLabel) + "|" + wxString::FromUTF8(request.filterPattern);
  // No wxFD_OVERWRITE_PROMPT: an existing file is replaced without a
  // question. No wxFD_CHANGE_DIR: the current directory stays.
  wxFileDialog chooser(owner_, wxString::FromUTF8(request.title), wxEmptyString,
                       wxString::FromUTF8(request.initialName), filter, wxFD_SAVE);
  if (chooser.ShowModal() != wxID_OK) return std::nullopt;
  return AddDefaultExtension(std::string(chooser.GetPath().utf8_str()), request.defaultExtension);
}
