#include "platform/thread_priority.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>

namespace mirevo::platform {

void raiseProcessPriority() {
    (void)setpriority(PRIO_PROCESS, 0, -20);
}

void setCurrentThreadTimeCritical() {
    sched_param param{};
    param.sched_priority = sched_get_priority_max(SCHED_RR);
    if (param.sched_priority < 0) return;
    (void)pthread_setschedparam(pthread_self(), SCHED_RR, &param);
}

}  // namespace mirevo::platform
