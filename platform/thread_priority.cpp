#include "platform/thread_priority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace quillmix {

namespace {

// One step is a few nice levels: enough for the scheduler to favour the thread clearly,
// little enough not to starve the rest.
int niceValue(ThreadPriority priority) {
    switch (priority) {
        case ThreadPriority::belowNormal: return 5;
        case ThreadPriority::normal: return 0;
        case ThreadPriority::aboveNormal: return -5;
        case ThreadPriority::highest: return -8;
        case ThreadPriority::timeCritical: return -12;
    }
    return 0;
}

}  // namespace

KernelThreadId currentKernelThreadId() { return static_cast<KernelThreadId>(syscall(SYS_gettid)); }

bool setThreadPriority(KernelThreadId thread, ThreadPriority priority) {
    // On Linux a thread id names one thread for PRIO_PROCESS, so this sets that thread only.
    return setpriority(PRIO_PROCESS, static_cast<id_t>(thread), niceValue(priority)) == 0;
}

bool setCurrentThreadPriority(ThreadPriority priority) {
    return setThreadPriority(currentKernelThreadId(), priority);
}

void raiseProcessPriority() { (void)setpriority(PRIO_PROCESS, 0, -2); }

}  // namespace quillmix
