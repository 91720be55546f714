#include "platform/thread_priority.h"

#include <dirent.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

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

// Real-time priority of an audio thread: the middle of the range, under the kernel's own
// interrupt threads (50) and JACK's server thread when one runs (typically 70 and up).
constexpr int kAudioRealtimePriority = 40;
// The audio thread's nice value when real-time is refused; above the time-critical -12.
constexpr int kAudioFallbackNice = -16;

std::atomic<bool> fallbackReported{false};

void reportFallbackOnce(int granted, int error) {
    if (fallbackReported.exchange(true)) return;
    std::fprintf(stderr, "Quillmix: real-time scheduling refused for the audio thread (%s); it runs at nice %d\n",
                 std::strerror(error), granted);
}

int setNiceAsLowAsGranted(KernelThreadId thread) {
    for (int nice = kAudioFallbackNice; nice < 0; ++nice)
        if (setpriority(PRIO_PROCESS, static_cast<id_t>(thread), nice) == 0) return nice;
    errno = 0;
    return getpriority(PRIO_PROCESS, static_cast<id_t>(thread));
}

std::string threadName(const std::string& tid) {
    std::ifstream comm("/proc/self/task/" + tid + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

}  // namespace

KernelThreadId currentKernelThreadId() { return static_cast<KernelThreadId>(syscall(SYS_gettid)); }

bool setThreadPriority(KernelThreadId thread, ThreadPriority priority) {
    // On Linux a thread id names one thread for PRIO_PROCESS, so this sets that thread only.
    return setpriority(PRIO_PROCESS, static_cast<id_t>(thread), niceValue(priority)) == 0;
}

bool setCurrentThreadPriority(ThreadPriority priority) { return setThreadPriority(currentKernelThreadId(), priority); }

bool isRealtimeThread(KernelThreadId thread) {
    const int policy = sched_getscheduler(thread);
    return policy == SCHED_FIFO || policy == SCHED_RR;
}

bool promoteAudioThread(KernelThreadId thread) {
    if (isRealtimeThread(thread)) return true;
    sched_param param{};
    param.sched_priority = kAudioRealtimePriority;
    if (sched_setscheduler(thread, SCHED_FIFO, &param) == 0) return true;
    const int error = errno;
    reportFallbackOnce(setNiceAsLowAsGranted(thread), error);
    return false;
}

int schedulingRank(KernelThreadId thread) {
    const int policy = sched_getscheduler(thread);
    if (policy < 0) return -1000;
    if (policy == SCHED_FIFO || policy == SCHED_RR) {
        sched_param param{};
        sched_getparam(thread, &param);
        return 100 + param.sched_priority;
    }
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(thread));
    return errno == 0 ? -nice : -1000;
}

std::string describeThreadPriorities() {
    std::string out;
    DIR* tasks = opendir("/proc/self/task");
    if (!tasks) return out;
    while (const dirent* entry = readdir(tasks)) {
        if (entry->d_name[0] == '.') continue;
        const int tid = std::atoi(entry->d_name);
        const int policy = sched_getscheduler(tid);
        sched_param param{};
        sched_getparam(tid, &param);
        errno = 0;
        const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
        char line[160];
        std::snprintf(line, sizeof line, "%7d %-16s %-5s rt %2d nice %3d\n", tid, threadName(entry->d_name).c_str(),
                      policy == SCHED_FIFO ? "fifo"
                      : policy == SCHED_RR ? "rr"
                                           : "other",
                      param.sched_priority, nice);
        out += line;
    }
    closedir(tasks);
    return out;
}

void raiseProcessPriority() { (void)setpriority(PRIO_PROCESS, 0, -2); }

}  // namespace quillmix
