#include "platform/sync/priority.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

namespace platform {

bool RaiseProcessPriority() { return setpriority(PRIO_PROCESS, 0, -10) == 0; }

bool SetCurrentThreadPriority(ThreadPriority priority) {
  if (priority == ThreadPriority::Normal) return true;
  // Real-time scheduling where permitted; otherwise a lower nice value for
  // this thread alone; otherwise the thread keeps its priority.
  sched_param param{};
  int top = sched_get_priority_max(SCHED_FIFO);
  param.sched_priority = priority == ThreadPriority::TimeCritical ? top : top / 2;
  if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0) return true;
  int nice = priority == ThreadPriority::TimeCritical ? -15 : -5;
  return setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), nice) == 0;
}

}  // namespace platform
