// The process's scheduling priority, raised for the length of one exchange
// with a terminal and put back afterwards.
#pragma once

namespace kelmora {

// An opaque value of the current priority (Windows: the priority class;
// POSIX: the nice value), to hand back to restore_priority.
int current_priority();

// Raises the process to the high priority (Windows: HIGH_PRIORITY_CLASS;
// POSIX: a nice value 5 below the current one, where the system allows it).
// False when refused; the caller goes on at the priority it has.
bool raise_priority();

void restore_priority(int priority);

} // namespace kelmora

namespace kelmora {

// Puts the calling thread one step below normal priority (Windows:
// THREAD_PRIORITY_BELOW_NORMAL; Linux: the thread's nice value one higher).
void lower_thread_priority();

} // namespace kelmora
