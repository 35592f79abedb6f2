// Tells the service manager how the program is doing: systemd's notify
// protocol, one datagram ("READY=1", "WATCHDOG=1", "STOPPING=1"...) to the
// socket that $NOTIFY_SOCKET names. Outside such a service (no variable, or
// Windows) nothing is sent.
#pragma once

#include <string_view>

namespace kelmora {

// True when the state was handed to the service manager.
bool notify_service(std::string_view state);

} // namespace kelmora
