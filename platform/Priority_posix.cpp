#include "platform/Priority.h"

#include <sys/resource.h>

#include <cerrno>

namespace kelmora {

namespace {
constexpr int kRaiseBy = 5;
}

int current_priority() {
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, 0);
    return errno == 0 ? nice : 0;
}

bool raise_priority() {
    return setpriority(PRIO_PROCESS, 0, current_priority() - kRaiseBy) == 0;
}

void restore_priority(int priority) {
    setpriority(PRIO_PROCESS, 0, priority);
}

} // namespace kelmora

#include <sys/syscall.h>
#include <unistd.h>

namespace kelmora {

void lower_thread_priority() {
#ifdef __linux__
    // Linux keeps a nice value per thread, addressed by its thread id.
    const auto tid = static_cast<id_t>(syscall(SYS_gettid));
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, tid);
    if (errno == 0) {
        setpriority(PRIO_PROCESS, tid, nice + 1);
    }
#endif
}

} // namespace kelmora
