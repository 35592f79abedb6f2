#include "platform/ServiceNotify.h"

namespace kelmora {

// Windows has no notify socket; its program runs as a desktop program.
bool notify_service(std::string_view) {
    return false;
}

} // namespace kelmora
