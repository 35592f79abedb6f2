#include "platform/ServiceNotify.h"

namespace kelmora {

// Windows has no notify socket; its program runs as a desktop program.
bool notify_service(std::string_view) {
    return false;
}

bool service_manager_listens() {
    return false;
}

std::optional<std::uint32_t> service_watchdog_interval_ms() {
    return std::nullopt;
}

} // namespace kelmora
