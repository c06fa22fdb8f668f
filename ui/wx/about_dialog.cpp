// The About box in wxWidgets. See about_dialog.h.
#include "ui/wx/about_dialog.h"

#include <wx/button.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "ui/about_box.h"
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
  const PixelRect box =
      TemplateRectInPixels(DialogRect{0, 0, kAboutBoxWidth, kAboutBoxHeight}, scale);
  // The template keeps 7 units between the controls and the box's edges.
  const PixelRect margin = TemplateRectInPixels(DialogRect{0, 0, 7, 7}, scale);
  int right = box.width;
  int bottom = box.height;
  size_t index = 0;
  for (const AboutControlTemplate& control : AboutBoxControls()) {
    wxWindow* window = ordered_[index++];
    const PixelRect rect = TemplateRectInPixels(control.rect, scale);
    const wxSize best = window->GetBestSize();
    // Never smaller than the content needs; placed across as the template
    // aligns it, down in the middle of its place.
    wxSize size = best;
    switch (control.kind) {
      case AboutControlKind::kNoticeEditor:
        size = wxSize(rect.width, std::max(rect.height, best.y));
        break;
      case AboutControlKind::kOkButton:
        size = wxSize(std::max(rect.width, best.x), std::max(rect.height, best.y));
        break;
      case AboutControlKind::kPicture:
      case AboutControlKind::kLabel:
      case AboutControlKind::kLink:
        break;
    }
    int x = rect.x;
    if (control.alignment == Alignment::kCentre) x += (rect.width - size.x) / 2;
    if (control.alignment == Alignment::kRight) x += rect.width - size.x;
    const int y = rect.y + (rect.height - size.y) / 2;
    window->SetSize(x, std::max(y, 0), size.x, size.y);
    right = std::max(right, x + size.x + margin.width);
    bottom = std::max(bottom, std::max(y, 0) + size.y + margin.height);
  }
  SetClientSize(right, bottom);
}

void AboutDialog::OnCharHook(wxKeyEvent& event) {
  if (event.GetKeyCode() == WXK_F1) return;  // no help from inside the box
  event.Skip();
}
