// The Windows half of TcpSocket: Winsock 2, a non-blocking socket, select for
// the waits.
#include "platform/AddressLookup.h"
#include "platform/Clock.h"
#include "platform/Socket.h"

// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <mstcpip.h>
// clang-format on

namespace kelmora {

namespace {

constexpr std::uint32_t kStepMs = 10;

// Winsock is started once per process, at the first connection, and stays.
bool winsock_started() {
    static const bool started = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

SocketFailure classify(int error) {
    switch (error) {
    case WSAECONNREFUSED:
        return SocketFailure::Refused;
    case WSAETIMEDOUT:
        return SocketFailure::TimedOut;
    case WSAENETUNREACH:
    case WSAEHOSTUNREACH:
    case WSAENETDOWN:
    case WSAEHOSTDOWN:
        return SocketFailure::Unreachable;
    case WSAEACCES:
    case WSAEAFNOSUPPORT:
        return SocketFailure::NotAllowed;
    case WSAECONNRESET:
    case WSAECONNABORTED:
    case WSAESHUTDOWN:
        return SocketFailure::Reset;
    default:
        return SocketFailure::Other;
    }
}

SOCKET socket_of(std::intptr_t handle) {
    return static_cast<SOCKET>(handle);
}

timeval step_time(std::uint32_t ms) {
    timeval t{};
    t.tv_sec = static_cast<long>(ms / 1000);
    t.tv_usec = static_cast<long>((ms % 1000) * 1000);
    return t;
}

} // namespace

bool TcpSocket::Connect(const std::string& host, std::uint16_t port, std::uint32_t limit_ms,
                        bool (*wait_step)(void*), void* context) {
    Close();
    Fail(SocketFailure::None, 0);
    if (!winsock_started()) {
        Fail(SocketFailure::Other, WSASYSNOTREADY);
        return false;
    }
    const std::uint32_t start = tick_ms();
    bool timed_out = false;
    addrinfo* addresses = look_up_address(host, port, stream_hints(AI_NUMERICHOST), stream_hints(0),
                                          start, limit_ms, wait_step, context, timed_out);
    if (addresses == nullptr) {
        Fail(timed_out ? SocketFailure::TimedOut : SocketFailure::NoSuchHost, 0);
        return false;
    }
    for (const addrinfo* a = addresses; a != nullptr && handle_ == kNone; a = a->ai_next) {
        const SOCKET s = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (s == INVALID_SOCKET) {
            Fail(classify(WSAGetLastError()), WSAGetLastError());
            continue;
        }
        u_long nonblocking = 1;
        ioctlsocket(s, FIONBIO, &nonblocking);
        int error = 0;
        if (::connect(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) != 0) {
            error = WSAGetLastError();
        }
        while (error == WSAEWOULDBLOCK || error == WSAEINPROGRESS) {
            if (elapsed_ms(start) >= limit_ms || (wait_step != nullptr && !wait_step(context))) {
                error = WSAETIMEDOUT;
                break;
            }
            fd_set writable;
            fd_set failed;
            FD_ZERO(&writable);
            FD_ZERO(&failed);
            FD_SET(s, &writable);
            FD_SET(s, &failed);
            timeval step = step_time(kStepMs);
            if (select(0, nullptr, &writable, &failed, &step) > 0) {
                int so_error = 0;
                int size = sizeof so_error;
                getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&so_error), &size);
                error = FD_ISSET(s, &failed) && so_error == 0 ? WSAECONNREFUSED : so_error;
            }
        }
        if (error != 0) {
            closesocket(s);
            Fail(classify(error), error);
            continue;
        }
        // A frame is small and must go at once (see Socket_posix.cpp).
        const BOOL on = TRUE;
        setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
        // Keepalive probes find a far side that went away without a word
        // (see Socket_posix.cpp); Windows sends ten of them.
        tcp_keepalive keepalive{1, 5000, 1000};
        DWORD returned = 0;
        WSAIoctl(s, SIO_KEEPALIVE_VALS, &keepalive, sizeof keepalive, nullptr, 0, &returned,
                 nullptr, nullptr);
        handle_ = static_cast<std::intptr_t>(s);
        Fail(SocketFailure::None, 0);
    }
    freeaddrinfo(addresses);
    return handle_ != kNone;
}

long TcpSocket::Send(const std::uint8_t* data, std::size_t n) {
    if (handle_ == kNone) {
        return -1;
    }
    const int sent =
        ::send(socket_of(handle_), reinterpret_cast<const char*>(data), static_cast<int>(n), 0);
    if (sent >= 0) {
        return sent;
    }
    const int error = WSAGetLastError();
    if (error == WSAEWOULDBLOCK) {
        return 0;
    }
    Fail(classify(error), error);
    return -1;
}

long TcpSocket::Receive(std::uint8_t* buffer, std::size_t n) {
    if (handle_ == kNone) {
        return -1;
    }
    const int got =
        ::recv(socket_of(handle_), reinterpret_cast<char*>(buffer), static_cast<int>(n), 0);
    if (got > 0) {
        return got;
    }
    if (got == 0) {
        Fail(SocketFailure::Closed, 0);
        return -1;
    }
    const int error = WSAGetLastError();
    if (error == WSAEWOULDBLOCK) {
        return 0;
    }
    Fail(classify(error), error);
    return -1;
}

void TcpSocket::WaitReadable(std::uint32_t max_ms) const {
    if (handle_ == kNone) {
        sleep_ms(max_ms);
        return;
    }
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket_of(handle_), &readable);
    timeval wait = step_time(max_ms);
    select(0, &readable, nullptr, nullptr, &wait);
}

void TcpSocket::Close() {
    if (handle_ != kNone) {
        closesocket(socket_of(handle_));
        handle_ = kNone;
    }
}

} // namespace kelmora
