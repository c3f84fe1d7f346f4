#pragma once
// Scheduling priorities. Raising them needs privileges that an ordinary Linux
// user lacks, so every call is best effort: a refusal is not an error.

namespace platform {

enum class ThreadPriority { Normal, Highest, TimeCritical };

// Raises the whole process; returns whether the system agreed.
bool RaiseProcessPriority();
// Sets the calling thread's priority; returns whether the system agreed.
bool SetCurrentThreadPriority(ThreadPriority priority);

}  // namespace platform
