#pragma once
// Thread priorities. The audio thread of a sound device ranks above every other thread of
// the process: real-time (SCHED_FIFO) where the system allows it, otherwise the lowest
// nice value the system grants, which is never above what any other thread gets. The
// other threads use the ordinary scheduler's nice values, best effort: an unprivileged
// process may lower a thread's priority but not raise it, so raising quietly fails there
// and the thread runs at normal priority.
//
// Ranking, highest first: audio thread (real-time, or nice -16 and below) > keyboard poll
// (time-critical, nice -12) > play-notify threads (highest, -8) > read-forward (above
// normal, -5) > window thread (process, -2) > file open (0) > track-length loader (5).

#include <string>

namespace quillmix {

enum class ThreadPriority { belowNormal, normal, aboveNormal, highest, timeCritical };

// The kernel's id of the calling thread, for setThreadPriority from another thread.
using KernelThreadId = int;
KernelThreadId currentKernelThreadId();

// False when the system refused the change.
bool setThreadPriority(KernelThreadId thread, ThreadPriority priority);
bool setCurrentThreadPriority(ThreadPriority priority);

// Makes `thread` (any thread of this process) an audio thread: SCHED_FIFO at a middle
// real-time priority, or, when refused, the lowest nice value granted; the first fallback
// in the process says so once on stderr. A thread already real-time is left as it is.
// True when the thread runs real-time afterwards. Not for the audio thread itself while
// it renders: it makes system calls.
bool promoteAudioThread(KernelThreadId thread);

// Whether `thread` runs under a real-time policy.
bool isRealtimeThread(KernelThreadId thread);

// Comparable rank of a thread's scheduling: real-time threads by their priority above
// all others, the others by their nice value. -1000 when the thread is gone.
int schedulingRank(KernelThreadId thread);

// One line per thread of this process: id, name, policy, real-time priority, nice.
std::string describeThreadPriorities();

// Raises the whole process a step above normal (the window thread's priority class).
void raiseProcessPriority();

}  // namespace quillmix
