// Tells the service manager how the program is doing: systemd's notify
// protocol, one datagram ("READY=1", "WATCHDOG=1", "STOPPING=1"...) to the
// socket that $NOTIFY_SOCKET names. Outside such a service (no variable, or
// Windows) nothing is sent. The environment is only read, never set, so any
// thread may ask.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kelmora {

// True when the state was handed to the service manager.
bool notify_service(std::string_view state);

// Whether a service manager listens ($NOTIFY_SOCKET is set).
bool service_manager_listens();

// The service manager's watchdog interval in milliseconds ($WATCHDOG_USEC,
// meant for this process when $WATCHDOG_PID names another): within it a
// "WATCHDOG=1" must come, or the service is restarted. Nothing without one.
std::optional<std::uint32_t> service_watchdog_interval_ms();

} // namespace kelmora
