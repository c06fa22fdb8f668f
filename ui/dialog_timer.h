// DialogTimer: the main dialog's one timer, which ends a tap series when no
// tap follows in time.
//
// Lifecycle: Start(milliseconds) arms it to fire once that many
// milliseconds from now (arming it again replaces the earlier time); Stop()
// disarms it and may be called when it is not armed. When it fires, the
// window calls MainDialog::OnTimer() on the window thread; a timer that
// fired is no longer armed. The window's own timer and the tests' timer
// (fired by the test) both keep this contract.
#pragma once

#include <cstdint>

class DialogTimer {
 public:
  virtual ~DialogTimer() = default;
  virtual void Start(uint32_t milliseconds) = 0;
  virtual void Stop() = 0;
};
