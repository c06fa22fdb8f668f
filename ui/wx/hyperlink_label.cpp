// A web link drawn as a label. See hyperlink_label.h.
#include "ui/wx/hyperlink_label.h"

#include <wx/dcclient.h>
#include <wx/settings.h>

#include "ui/about_box.h"

namespace {

// The blue of an unvisited link.
const wxColour kLinkColour(0, 0, 238);

}  // namespace

HyperlinkLabel::HyperlinkLabel(wxWindow* parent, wxWindowID id, const std::string& caption,
                               DesktopOpener& opener)
    : wxControl(parent, id, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE),
      opener_(opener),
      captionText_(caption),
      linkTarget_(LinkAddress(caption)) {
  SetLabel(wxString::FromUTF8(caption));
  wxFont font = parent->GetFont();
  font.SetUnderlined(true);
  SetFont(font);
  SetForegroundColour(kLinkColour);
  SetBackgroundColour(parent->GetBackgroundColour());
  Bind(wxEVT_PAINT, &HyperlinkLabel::OnPaint, this);
  Bind(wxEVT_MOTION, &HyperlinkLabel::OnMotion, this);
  Bind(wxEVT_ENTER_WINDOW, &HyperlinkLabel::OnMotion, this);
  Bind(wxEVT_LEAVE_WINDOW, &HyperlinkLabel::OnLeaveWindow, this);
  Bind(wxEVT_LEFT_DOWN, &HyperlinkLabel::OnLeftDown, this);
  Bind(wxEVT_LEFT_UP, &HyperlinkLabel::OnLeftUp, this);
}

wxSize HyperlinkLabel::DoGetBestSize() const {
  int width = 0;
  int height = 0;
  GetTextExtent(GetLabel(), &width, &height);
  return {width, height};
}

wxRect HyperlinkLabel::TextRect() const {
  const wxSize text = DoGetBestSize();
  const wxSize client = GetClientSize();
  // The text is drawn at the top left; the control may be larger.
  return {0, 0, std::min(text.x, client.x), std::min(text.y, client.y)};
}

void HyperlinkLabel::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  dc.SetBackground(wxBrush(GetBackgroundColour()));
  dc.Clear();
  dc.SetFont(GetFont());
  dc.SetTextForeground(GetForegroundColour());
  dc.DrawText(GetLabel(), 0, 0);
}

void HyperlinkLabel::ShowHandCursor(bool hand) {
  if (hand == handShown_) return;
  handShown_ = hand;
  SetCursor(hand ? wxCursor(wxCURSOR_HAND) : wxNullCursor);
}

void HyperlinkLabel::OnMotion(wxMouseEvent& event) {
  ShowHandCursor(TextRect().Contains(event.GetPosition()));
  event.Skip();
}

void HyperlinkLabel::OnLeaveWindow(wxMouseEvent& event) {
  ShowHandCursor(false);
  pressedOnText_ = false;
  event.Skip();
}

void HyperlinkLabel::OnLeftDown(wxMouseEvent& event) {
  pressedOnText_ = TextRect().Contains(event.GetPosition());
  event.Skip();
}

void HyperlinkLabel::OnLeftUp(wxMouseEvent& event) {
  const bool click = pressedOnText_ && TextRect().Contains(event.GetPosition());
  pressedOnText_ = false;
  if (click) opener_.Open(linkTarget_);
  event.Skip();
}
