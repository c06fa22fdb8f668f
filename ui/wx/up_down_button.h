// UpDownButton: a small control of two arrows, one above the other, that
// steps a value up or down, like the up-down control beside a buddy text of
// the dialog template (GTK's own spin button lays its two buttons side by
// side and is far wider than the template's 9 x 14 dialog units). A click
// on an arrow sends one kUpDownStep event (GetInt() +1 or -1, the id of the
// control); holding the button repeats it; the mouse wheel steps too. It is
// a Tab stop: with the focus, the Up and Down keys step it as a click on an
// arrow does, and a dotted frame shows the focus. The control keeps no
// value: the dialog logic does.
#pragma once

#include <wx/control.h>
#include <wx/event.h>
#include <wx/timer.h>

wxDECLARE_EVENT(kUpDownStep, wxCommandEvent);

class UpDownButton : public wxControl {
 public:
  UpDownButton(wxWindow* parent, wxWindowID id, const wxPoint& position, const wxSize& size);

  bool AcceptsFocus() const override { return true; }
  bool Enable(bool enable = true) override;

 protected:
  wxSize DoGetBestSize() const override;

 private:
  enum class Arrow { kNone, kUp, kDown };

  Arrow ArrowAt(const wxPoint& point) const;
  void SendStep(int delta);
  void Release();
  void OnPaint(wxPaintEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);
  void OnWheel(wxMouseEvent& event);
  void OnKeyDown(wxKeyEvent& event);
  void OnCaptureLost(wxMouseCaptureLostEvent& event);
  void OnRepeat(wxTimerEvent& event);

  Arrow pressed_ = Arrow::kNone;
  wxTimer repeat_;
};
