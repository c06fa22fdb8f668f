// The millisecond tick on Windows: GetTickCount, which wraps every 49.7
// days exactly as TickCount promises. See tick_count.h.
#include <windows.h>

#include "platform/tick_count.h"

uint32_t TickCount() {
  return GetTickCount();
}
