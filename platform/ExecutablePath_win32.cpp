#include "platform/ExecutablePath.h"

#include <windows.h>

namespace kelmora {

std::string executable_path() {
    char buffer[MAX_PATH + 1];
    const DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    return n == 0 || n >= sizeof buffer ? std::string() : std::string(buffer, n);
}

} // namespace kelmora
