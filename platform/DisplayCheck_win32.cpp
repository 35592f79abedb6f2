#include "platform/DisplayCheck.h"

namespace kelmora {

// Windows has its desktop whatever these variables say.
std::optional<std::string> missing_display(const DisplayEnvironment&) {
    return std::nullopt;
}

} // namespace kelmora
