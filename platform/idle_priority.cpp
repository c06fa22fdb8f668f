// Idle priority for the calling thread. See idle_priority.h.
#include "platform/idle_priority.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

bool LowerThreadToIdlePriority() {
  sched_param param = {};
  param.sched_priority = 0;
  if (pthread_setschedparam(pthread_self(), SCHED_IDLE, &param) == 0) return true;
  // On Linux the nice value of a thread id applies to that thread alone.
  pid_t tid = static_cast<pid_t>(::syscall(SYS_gettid));
  return ::setpriority(PRIO_PROCESS, static_cast<id_t>(tid), 19) == 0;
}
