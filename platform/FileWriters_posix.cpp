#include "platform/FileWriters.h"
#include "platform/Path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <mutex>

namespace kelmora {

namespace {

// A lease that a writer breaks is announced with SIGIO, which would end the
// process; the lease is given up at once anyway, so the signal is ignored.
void IgnoreLeaseBreaks() {
    static std::once_flag once;
    std::call_once(once, [] { std::signal(SIGIO, SIG_IGN); });
}

} // namespace

Writers file_writers(std::string_view path) {
    IgnoreLeaseBreaks();
    // A lease is taken on a descriptor open for reading only, and the open
    // must not wait on whatever stands under the name.
    const int fd = ::open(system_path(path).c_str(),
                          O_RDONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return Writers::Unknown;
    }
    struct stat st {};
    Writers writers = Writers::Unknown;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        if (fcntl(fd, F_SETLEASE, F_RDLCK) == 0) {
            fcntl(fd, F_SETLEASE, F_UNLCK);
            writers = Writers::None;
        } else if (errno == EAGAIN) {
            writers = Writers::Some;
        }
    }
    ::close(fd);
    return writers;
}

} // namespace kelmora
