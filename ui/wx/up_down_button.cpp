// The two-arrow up-down control. See up_down_button.h.
#include "ui/wx/up_down_button.h"

#include <wx/dcbuffer.h>
#include <wx/settings.h>

#include <algorithm>

wxDEFINE_EVENT(kUpDownStep, wxCommandEvent);

namespace {

// Milliseconds before a held arrow repeats, and between repeats.
constexpr int kFirstRepeatDelay = 400;
constexpr int kRepeatInterval = 60;

}  // namespace

UpDownButton::UpDownButton(wxWindow* parent, wxWindowID id, const wxPoint& position,
                           const wxSize& size)
    : wxControl(parent, id, position, size, wxBORDER_NONE), repeat_(this) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &UpDownButton::OnPaint, this);
  Bind(wxEVT_LEFT_DOWN, &UpDownButton::OnLeftDown, this);
  Bind(wxEVT_LEFT_DCLICK, &UpDownButton::OnLeftDown, this);
  Bind(wxEVT_LEFT_UP, &UpDownButton::OnLeftUp, this);
  Bind(wxEVT_MOUSEWHEEL, &UpDownButton::OnWheel, this);
  Bind(wxEVT_KEY_DOWN, &UpDownButton::OnKeyDown, this);
  Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent& event) {
    Refresh();
    event.Skip();
  });
  Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& event) {
    Refresh();
    event.Skip();
  });
  Bind(wxEVT_MOUSE_CAPTURE_LOST, &UpDownButton::OnCaptureLost, this);
  Bind(wxEVT_TIMER, &UpDownButton::OnRepeat, this);
}

bool UpDownButton::Enable(bool enable) {
  if (!enable) Release();
  const bool changed = wxControl::Enable(enable);
  Refresh();
  return changed;
}

wxSize UpDownButton::DoGetBestSize() const {
  return FromDIP(wxSize(16, 26));
}

UpDownButton::Arrow UpDownButton::ArrowAt(const wxPoint& point) const {
  const wxSize size = GetClientSize();
  if (point.x < 0 || point.x >= size.x || point.y < 0 || point.y >= size.y) return Arrow::kNone;
  return point.y < size.y / 2 ? Arrow::kUp : Arrow::kDown;
}

void UpDownButton::SendStep(int delta) {
  wxCommandEvent event(kUpDownStep, GetId());
  event.SetEventObject(this);
  event.SetInt(delta);
  ProcessWindowEvent(event);
}

void UpDownButton::Release() {
  repeat_.Stop();
  if (HasCapture()) ReleaseMouse();
  if (pressed_ != Arrow::kNone) {
    pressed_ = Arrow::kNone;
    Refresh();
  }
}

void UpDownButton::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  const wxSize size = GetClientSize();
  const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
  const wxColour shadow = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW);
  const wxColour arrow = IsEnabled() ? wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT)
                                     : wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT);
  dc.SetBackground(wxBrush(GetParent()->GetBackgroundColour()));
  dc.Clear();

  const int half = size.y / 2;
  for (Arrow which : {Arrow::kUp, Arrow::kDown}) {
    const wxRect box =
        which == Arrow::kUp ? wxRect(0, 0, size.x, half) : wxRect(0, half, size.x, size.y - half);
    const bool pressed = pressed_ == which;
    dc.SetPen(wxPen(shadow));
    dc.SetBrush(wxBrush(pressed ? shadow : face));
    dc.DrawRectangle(box);
    // A triangle pointing up or down in the middle of its half.
    const int width = std::max(3, (box.width - 6) | 1);
    const int height = (width + 1) / 2;
    const int left = box.x + (box.width - width) / 2;
    const int top = box.y + (box.height - height) / 2;
    wxPoint corners[3];
    if (which == Arrow::kUp) {
      corners[0] = {left, top + height - 1};
      corners[1] = {left + width - 1, top + height - 1};
      corners[2] = {left + width / 2, top};
    } else {
      corners[0] = {left, top};
      corners[1] = {left + width - 1, top};
      corners[2] = {left + width / 2, top + height - 1};
    }
    dc.SetPen(wxPen(arrow));
    dc.SetBrush(wxBrush(arrow));
    dc.DrawPolygon(3, corners);
  }
  if (HasFocus()) {
    dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT), 1, wxPENSTYLE_DOT));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(1, 1, size.x - 2, size.y - 2);
  }
}

void UpDownButton::OnLeftDown(wxMouseEvent& event) {
  if (!IsEnabled()) return;
  pressed_ = ArrowAt(event.GetPosition());
  if (pressed_ == Arrow::kNone) return;
  if (!HasCapture()) CaptureMouse();
  Refresh();
  SendStep(pressed_ == Arrow::kUp ? 1 : -1);
  repeat_.StartOnce(kFirstRepeatDelay);
}

void UpDownButton::OnLeftUp(wxMouseEvent&) {
  Release();
}

void UpDownButton::OnWheel(wxMouseEvent& event) {
  if (!IsEnabled() || event.GetWheelRotation() == 0) return;
  SendStep(event.GetWheelRotation() > 0 ? 1 : -1);
}

void UpDownButton::OnKeyDown(wxKeyEvent& event) {
  if (!IsEnabled() || event.HasAnyModifiers()) {
    event.Skip();
    return;
  }
  switch (event.GetKeyCode()) {
    case WXK_UP:
    case WXK_NUMPAD_UP:
      SendStep(1);
      break;
    case WXK_DOWN:
    case WXK_NUMPAD_DOWN:
      SendStep(-1);
      break;
    default:
      // Tab, Escape, Enter and the rest go on to the window.
      event.Skip();
      break;
  }
}

void UpDownButton::OnCaptureLost(wxMouseCaptureLostEvent&) {
  repeat_.Stop();
  pressed_ = Arrow::kNone;
  Refresh();
}

void UpDownButton::OnRepeat(wxTimerEvent&) {
  if (pressed_ == Arrow::kNone || !IsEnabled()) return;
  // Only while the pointer stays on the arrow that was pressed.
  if (ArrowAt(ScreenToClient(wxGetMousePosition())) == pressed_)
    SendStep(pressed_ == Arrow::kUp ? 1 : -1);
  repeat_.Start(kRepeatInterval);
}
