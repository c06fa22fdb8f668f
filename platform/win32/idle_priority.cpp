// Idle priority for the calling thread on Windows. See idle_priority.h.
#include <windows.h>

#include "platform/idle_priority.h"

bool LowerThreadToIdlePriority() {
  return SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_IDLE) != 0;
}
