// The About box in wxWidgets. See about_dialog.h.
#include "ui/wx/about_dialog.h"

#include <wx/button.h>
#include <wx/display.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "ui/about_box.h"
#include "ui/about_box_layout.h"
#include "ui/about_picture.h"
#include "ui/dialog_layout.h"
#include "ui/wx/hyperlink_label.h"
#include "ui/wx/picture_bitmaps.h"

AboutDialog::AboutDialog(wxWindow* parent, DesktopOpener& opener)
    : wxDialog(parent, wxID_ANY, kAboutBoxTitle, wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE) {
  CreateControls(opener);
  LayOut();
  Bind(wxEVT_CHAR_HOOK, &AboutDialog::OnCharHook, this);
  // A help request inside the box goes no further.
  Bind(wxEVT_HELP, [](wxHelpEvent&) {});
  CentreOnParent();
}

wxWindow* AboutDialog::Control(int id) const {
  const auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second;
}

void AboutDialog::CreateControls(DesktopOpener& opener) {
  for (const AboutControlTemplate& control : AboutBoxControls()) {
    const wxWindowID id = control.id < 0 ? wxID_ANY : control.id;
    const wxString text = wxString::FromUTF8(control.text);
    wxWindow* window = nullptr;
    switch (control.kind) {
      case AboutControlKind::kOkButton: {
        auto* button = new wxButton(this, wxID_OK, text);
        button->SetDefault();
        window = button;
        break;
      }
      case AboutControlKind::kPicture:
        window = new wxStaticBitmap(this, id, BitmapOfPicture(AboutPicture()));
        break;
      case AboutControlKind::kLabel:
        window = new wxStaticText(this, id, text);
        break;
      case AboutControlKind::kLink:
        window = new HyperlinkLabel(this, id, control.text, opener);
        break;
      case AboutControlKind::kNoticeEditor:
        window = new wxTextCtrl(this, id, wxString::FromUTF8(LegalNotice()), wxDefaultPosition,
                                wxDefaultSize, wxTE_MULTILINE | wxTE_READONLY | wxTE_WORDWRAP);
        break;
    }
    if (control.id >= 0) controls_[control.id] = window;
    ordered_.push_back(window);
  }
  // The version shown is the program's, whatever the template says.
  static_cast<wxStaticText*>(controls_[kVersionLabel])->SetLabel(kVersionText);
  SetAffirmativeId(wxID_OK);
  SetEscapeId(wxID_OK);
}

void AboutDialog::LayOut() {
  const DialogScale scale = DialogScale::FromFont(GetCharWidth(), GetCharHeight());
  std::vector<PixelSize> contentSizes;
  for (const wxWindow* window : ordered_) {
    const wxSize best = window->GetBestSize();
    contentSizes.push_back({best.x, best.y});
  }
  const AboutBoxLayout layout = LayOutAboutBox(scale, contentSizes, TallestClientHeight());
  for (size_t i = 0; i < ordered_.size(); ++i) {
    const PixelRect& rect = layout.controls[i];
    ordered_[i]->SetSize(rect.x, rect.y, rect.width, rect.height);
  }
  SetClientSize(layout.client.width, layout.client.height);
}

int AboutDialog::TallestClientHeight() const {
  const int index = wxDisplay::GetFromWindow(GetParent() != nullptr ? GetParent() : this);
  const wxDisplay display(index == wxNOT_FOUND ? 0u : static_cast<unsigned>(index));
  // The title bar's height, where the window manager has told it already;
  // otherwise a title bar of the font's size.
  int decoration = GetSize().y - GetClientSize().y;
  if (decoration <= 0) decoration = 3 * GetCharHeight();
  return display.GetClientArea().height - decoration;
}

void AboutDialog::OnCharHook(wxKeyEvent& event) {
  if (event.GetKeyCode() == WXK_F1) return;  // no help from inside the box
  event.Skip();
}
