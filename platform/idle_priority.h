// Lowers the calling thread to idle priority, so that an analysis never
// takes time from the desktop: SCHED_IDLE where the system allows it, else
// the weakest nice value for this thread. Returns false when neither worked.
#pragma once

bool LowerThreadToIdlePriority();
