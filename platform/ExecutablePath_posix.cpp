#include "platform/Cp1250.h"
#include "platform/ExecutablePath.h"

#include <unistd.h>

#include <climits>

namespace kelmora {

std::string executable_path() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) {
        return {};
    }
    return cp1250_from_utf8(std::string_view(buffer, static_cast<std::size_t>(n)));
}

} // namespace kelmora
