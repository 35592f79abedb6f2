// The addresses of host:port for both halves of TcpSocket: an address in
// digits at once, a name on a thread of its own within the caller's limit
// (BoundedCall.h), so a slow name server cannot hold the caller past it.
#pragma once

#include "platform/BoundedCall.h"

#ifdef _WIN32
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
// clang-format on
#else
#include <netdb.h>
#include <netinet/in.h>
#endif

#include <cstdint>
#include <optional>
#include <string>

namespace kelmora {

// What a look-up asks for: TCP, IPv4 or IPv6, with `flags`.
inline addrinfo stream_hints(int flags) {
    addrinfo h{};
    h.ai_family = AF_UNSPEC;
    h.ai_socktype = SOCK_STREAM;
    h.ai_protocol = IPPROTO_TCP;
    h.ai_flags = flags;
    return h;
}

// The addresses (free them with freeaddrinfo), or null when the name does not
// resolve within `limit_ms` since `start` (`timed_out` then says whether time
// ran out). `digits` are the hints for an address in digits, `name` those for
// a name.
inline addrinfo* look_up_address(const std::string& host, std::uint16_t port,
                                 const addrinfo& digits, const addrinfo& name, std::uint32_t start,
                                 std::uint32_t limit_ms, bool (*wait_step)(void*), void* context,
                                 bool& timed_out) {
    const std::string service = std::to_string(port);
    addrinfo* answer = nullptr;
    timed_out = false;
    if (getaddrinfo(host.c_str(), service.c_str(), &digits, &answer) == 0) {
        return answer; // no name server asked
    }
    const std::optional<addrinfo*> found = call_bounded<addrinfo*>(
        [host, service, name] {
            addrinfo* list = nullptr;
            return getaddrinfo(host.c_str(), service.c_str(), &name, &list) == 0 ? list : nullptr;
        },
        [](addrinfo* late) {
            if (late != nullptr) {
                freeaddrinfo(late);
            }
        },
        start, limit_ms, wait_step, context);
    timed_out = !found.has_value();
    return found.value_or(nullptr);
}

} // namespace kelmora
