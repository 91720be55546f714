#pragma once
// Thread priorities on the scheduler's nice values. Best effort: an unprivileged process
// may lower a thread's priority but not raise it, so raising quietly fails there and the
// thread runs at normal priority.

namespace quillmix {

enum class ThreadPriority { belowNormal, normal, aboveNormal, highest, timeCritical };

// The kernel's id of the calling thread, for setThreadPriority from another thread.
using KernelThreadId = int;
KernelThreadId currentKernelThreadId();

// False when the system refused the change.
bool setThreadPriority(KernelThreadId thread, ThreadPriority priority);
bool setCurrentThreadPriority(ThreadPriority priority);

// Raises the whole process a step above normal (the window thread's priority class).
void raiseProcessPriority();

}  // namespace quillmix
