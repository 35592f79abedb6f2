#include "platform/Priority.h"

#include <windows.h>

namespace kelmora {

int current_priority() {
    return static_cast<int>(GetPriorityClass(GetCurrentProcess()));
}

bool raise_priority() {
    return SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS) != 0;
}

void restore_priority(int priority) {
    SetPriorityClass(GetCurrentProcess(), static_cast<DWORD>(priority));
}

} // namespace kelmora

namespace kelmora {

void lower_thread_priority() {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
}

} // namespace kelmora
