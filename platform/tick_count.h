// TickCount: milliseconds of a monotonic clock, truncated to 32 bits.
//
// The tap tempo measures the time between taps with it. It wraps every
// 49.7 days, so differences of two ticks are taken modulo 2^32 (unsigned
// subtraction), which stays right across a wrap.
#pragma once

#include <cstdint>

uint32_t TickCount();
