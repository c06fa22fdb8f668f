// TapSeriesTimer: the DialogTimer of the real window, a one-shot wxTimer
// that calls back on the window thread when it fires.
#pragma once

#include <wx/timer.h>

#include <functional>

#include "ui/dialog_timer.h"

class TapSeriesTimer : public DialogTimer {
 public:
  explicit TapSeriesTimer(std::function<void()> fired) : timer_(std::move(fired)) {}

  void Start(uint32_t milliseconds) override;
  void Stop() override { timer_.Stop(); }

 private:
  class Notifier : public wxTimer {
   public:
    explicit Notifier(std::function<void()> fired) : fired_(std::move(fired)) {}
    void Notify() override { fired_(); }

   private:
    std::function<void()> fired_;
  };

  Notifier timer_;
};
