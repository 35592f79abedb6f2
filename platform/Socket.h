// A TCP connection to a device server (a serial port behind the network):
// connected within a bounded time, then used without ever blocking. The
// serial layer's network ports (serial/NetworkDriver.cpp) are its only user.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kelmora {

// Why a connection could not be made (or went away).
enum class SocketFailure : std::int32_t {
    None = 0,
    NoSuchHost,  // the name does not resolve (or resolving took too long)
    Refused,     // nothing listens at that port
    TimedOut,    // no answer within the limit
    Unreachable, // no route to the host or its network
    NotAllowed,  // the system does not let this program connect (a service's sandbox, a firewall)
    Closed,      // the far side closed the connection
    Reset,       // the connection was reset or broken
    Other,       // any other system error (see `error`)
};

class TcpSocket {
public:
    TcpSocket() = default;
    ~TcpSocket() { Close(); }
    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;

    // Connects to host:port, waiting at most `limit_ms` for the name and the
    // connection together, and calling `wait_step(context)` about every 10 ms
    // meanwhile (a false answer gives up). A host name is looked up on a
    // thread of its own, so a slow name server cannot hold the caller past the
    // limit. True when connected; else failure() and error() say why.
    bool Connect(const std::string& host, std::uint16_t port, std::uint32_t limit_ms,
                 bool (*wait_step)(void* context), void* context);

    // What the connection takes without waiting: the count sent, or -1 when
    // the connection failed.
    long Send(const std::uint8_t* data, std::size_t n);
    // What has arrived, without waiting: the count, 0 when nothing waits, or
    // -1 when the far side closed the connection or it failed.
    long Receive(std::uint8_t* buffer, std::size_t n);
    // Returns when something arrived (or the connection ended), or after
    // `max_ms`.
    void WaitReadable(std::uint32_t max_ms) const;
    void Close();

    bool IsOpen() const { return handle_ != kNone; }
    SocketFailure failure() const { return failure_; }
    // The system's error number of the last failure (errno, WSAGetLastError);
    // 0 when there was none.
    std::int32_t error() const { return error_; }

private:
    static constexpr std::intptr_t kNone = -1;
    void Fail(SocketFailure failure, std::int32_t error) {
        failure_ = failure;
        error_ = error;
    }

    std::intptr_t handle_ = kNone;
    SocketFailure failure_ = SocketFailure::None;
    std::int32_t error_ = 0;
};

} // namespace kelmora
