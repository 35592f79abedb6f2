// The POSIX half of TcpSocket: a non-blocking socket, poll for the waits.
#include "platform/AddressLookup.h"
#include "platform/Clock.h"
#include "platform/Socket.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace kelmora {

namespace {

constexpr std::uint32_t kStepMs = 10;

SocketFailure classify(int error) {
    switch (error) {
    case ECONNREFUSED:
        return SocketFailure::Refused;
    case ETIMEDOUT:
        return SocketFailure::TimedOut;
    case ENETUNREACH:
    case EHOSTUNREACH:
    case ENETDOWN:
    case EHOSTDOWN:
        return SocketFailure::Unreachable;
    case EACCES:
    case EPERM:
    case EAFNOSUPPORT:
        return SocketFailure::NotAllowed;
    case ECONNRESET:
    case EPIPE:
    case ECONNABORTED:
        return SocketFailure::Reset;
    default:
        return SocketFailure::Other;
    }
}

} // namespace

bool TcpSocket::Connect(const std::string& host, std::uint16_t port, std::uint32_t limit_ms,
                        bool (*wait_step)(void*), void* context) {
    Close();
    Fail(SocketFailure::None, 0);
    const std::uint32_t start = tick_ms();
    bool timed_out = false;
    addrinfo* addresses = look_up_address(host, port, stream_hints(AI_NUMERICHOST | AI_NUMERICSERV),
                                          stream_hints(AI_NUMERICSERV | AI_ADDRCONFIG), start,
                                          limit_ms, wait_step, context, timed_out);
    if (addresses == nullptr) {
        Fail(timed_out ? SocketFailure::TimedOut : SocketFailure::NoSuchHost, 0);
        return false;
    }
    for (const addrinfo* a = addresses; a != nullptr && handle_ == kNone; a = a->ai_next) {
        const int fd =
            ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            Fail(classify(errno), errno);
            continue;
        }
        int error = ::connect(fd, a->ai_addr, a->ai_addrlen) == 0 ? 0 : errno;
        while (error == EINPROGRESS || error == EINTR) {
            if (elapsed_ms(start) >= limit_ms || (wait_step != nullptr && !wait_step(context))) {
                error = ETIMEDOUT;
                break;
            }
            pollfd p{fd, POLLOUT, 0};
            if (poll(&p, 1, static_cast<int>(kStepMs)) > 0) {
                socklen_t size = sizeof error;
                if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) {
                    error = errno;
                }
            }
        }
        if (error != 0) {
            ::close(fd);
            Fail(classify(error), error);
            continue;
        }
        // A frame is small and must go at once, not wait for the last one's
        // acknowledgement.
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        // A far side that went away without a word (switched off, its cable
        // pulled) is found by keepalive probes within about 11 s.
        const int idle_s = 5;
        const int interval_s = 2;
        const int probes = 3;
        setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
        setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle_s, sizeof idle_s);
        setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval_s, sizeof interval_s);
        setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
        handle_ = fd;
        Fail(SocketFailure::None, 0);
    }
    freeaddrinfo(addresses);
    return handle_ != kNone;
}

long TcpSocket::Send(const std::uint8_t* data, std::size_t n) {
    if (handle_ == kNone) {
        return -1;
    }
    const ssize_t sent = ::send(static_cast<int>(handle_), data, n, MSG_NOSIGNAL);
    if (sent >= 0) {
        return static_cast<long>(sent);
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
        return 0;
    }
    Fail(classify(errno), errno);
    return -1;
}

long TcpSocket::Receive(std::uint8_t* buffer, std::size_t n) {
    if (handle_ == kNone) {
        return -1;
    }
    const ssize_t got = ::recv(static_cast<int>(handle_), buffer, n, 0);
    if (got > 0) {
        return static_cast<long>(got);
    }
    if (got == 0) {
        Fail(SocketFailure::Closed, 0);
        return -1;
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
        return 0;
    }
    Fail(classify(errno), errno);
    return -1;
}

void TcpSocket::WaitReadable(std::uint32_t max_ms) const {
    if (handle_ == kNone) {
        sleep_ms(max_ms);
        return;
    }
    pollfd p{static_cast<int>(handle_), POLLIN, 0};
    poll(&p, 1, static_cast<int>(max_ms));
}

void TcpSocket::Close() {
    if (handle_ != kNone) {
        ::close(static_cast<int>(handle_));
        handle_ = kNone;
    }
}

} // namespace kelmora
