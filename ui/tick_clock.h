// TickClock: the millisecond tick the tap tempo times its taps with.
//
// Now() is a counter of milliseconds that wraps at 2^32; only differences
// of two ticks mean anything, and they are taken modulo 2^32 (unsigned
// subtraction), so a wrap between two taps does no harm. SystemTickClock
// reads the machine's monotonic clock; tests use a clock they set by hand.
#pragma once

#include <cstdint>

#include "platform/tick_count.h"

class TickClock {
 public:
  virtual ~TickClock() = default;
  virtual uint32_t Now() = 0;
};

class SystemTickClock : public TickClock {
 public:
  uint32_t Now() override { return TickCount(); }
};
