#include "platform/ProcessSetup.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace kelmora {

void prepare_process() {
    // open gives the lowest free number: going up from 0, each closed one
    // is filled in its place; one that is open stays as it is. The
    // descriptors stay open for the process's life.
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) < 0 && errno == EBADF) {
            ::open("/dev/null", O_RDWR);
        }
    }
    signal(SIGPIPE, SIG_IGN);
}

} // namespace kelmora
