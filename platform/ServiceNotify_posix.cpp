#include "platform/ServiceNotify.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace kelmora {

bool notify_service(std::string_view state) {
    // Nothing in the program sets the environment, so any thread may read it.
    const char* socketName = std::getenv("NOTIFY_SOCKET"); // NOLINT(concurrency-mt-unsafe)
    if (socketName == nullptr) {
        return false;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::size_t length = std::strlen(socketName);
    // An absolute path, or '@' for a name in the abstract namespace.
    if (length < 2 || length > sizeof address.sun_path ||
        (socketName[0] != '/' && socketName[0] != '@')) {
        return false;
    }
    std::memcpy(address.sun_path, socketName, length);
    if (address.sun_path[0] == '@') {
        address.sun_path[0] = '\0';
    }
    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + length);
    const ssize_t sent = sendto(fd, state.data(), state.size(), MSG_NOSIGNAL,
                                reinterpret_cast<const sockaddr*>(&address), size);
    close(fd);
    return sent == static_cast<ssize_t>(state.size());
}

} // namespace kelmora
