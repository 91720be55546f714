#include "platform/thread_priority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace quillmix {

namespace {
int niceFor(ThreadPriority priority) {
    switch (priority) {
        case ThreadPriority::belowNormal: return 2;
        case ThreadPriority::normal: return 0;
        case ThreadPriority::aboveNormal: return -2;
        case ThreadPriority::highest: return -5;
        case ThreadPriority::timeCritical: return -10;
    }
    return 0;
}
}  // namespace

void setCurrentThreadPriority(ThreadPriority priority) {
    // On Linux the nice value is per thread when addressed by thread id.
    const auto tid = static_cast<id_t>(syscall(SYS_gettid));
    (void)setpriority(PRIO_PROCESS, tid, niceFor(priority));
}

void raiseProcessPriority() { (void)setpriority(PRIO_PROCESS, 0, -2); }

}  // namespace quillmix
