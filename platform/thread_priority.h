#pragma once
// Thread priorities, best effort: raising a priority needs privileges that an ordinary user
// may not have, and a refusal is ignored (the thread simply runs at normal priority).

namespace quillmix {

enum class ThreadPriority { belowNormal, normal, aboveNormal, highest, timeCritical };

// Applies to the calling thread.
void setCurrentThreadPriority(ThreadPriority priority);

// Raises the whole process a step above normal (the window thread's priority class).
void raiseProcessPriority();

}  // namespace quillmix
