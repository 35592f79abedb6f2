#include "platform/ServiceNotify.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
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

bool service_manager_listens() {
    return std::getenv("NOTIFY_SOCKET") != nullptr; // NOLINT(concurrency-mt-unsafe)
}

std::optional<std::uint32_t> service_watchdog_interval_ms() {
    // NOLINTNEXTLINE(concurrency-mt-unsafe): only read, as above
    const char* usec = std::getenv("WATCHDOG_USEC");
    if (usec == nullptr) {
        return std::nullopt;
    }
    // NOLINTNEXTLINE(concurrency-mt-unsafe): only read, as above
    if (const char* pid = std::getenv("WATCHDOG_PID"); pid != nullptr) {
        char* end = nullptr;
        errno = 0;
        const long long owner = std::strtoll(pid, &end, 10);
        if (errno != 0 || end == pid || *end != '\0' || owner != static_cast<long long>(getpid())) {
            return std::nullopt;
        }
    }
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(usec, &end, 10);
    if (errno != 0 || end == usec || *end != '\0' || value == 0 || usec[0] == '-') {
        return std::nullopt;
    }
    const unsigned long long ms = value / 1000;
    return static_cast<std::uint32_t>(ms > 0xFFFFFFFFull ? 0xFFFFFFFFull : (ms == 0 ? 1 : ms));
}

} // namespace kelmora
