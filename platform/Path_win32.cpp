#include "platform/Path.h"

#include <windows.h>

namespace kelmora {

namespace {

bool is_separator(char c) {
    return c == '\\' || c == '/';
}

} // namespace

bool is_absolute_path(std::string_view path) {
    return (!path.empty() && is_separator(path[0])) ||
           (path.size() >= 3 && path[1] == ':' && is_separator(path[2]));
}

std::string directory_of(std::string_view path) {
    // "C:name" is a name in drive C's current directory.
    const std::size_t cut = path.find_last_of("\\/:");
    return cut == std::string_view::npos ? "." : std::string(path.substr(0, cut + 1));
}

// The ANSI calls take and give the bytes themselves.
std::string system_path(std::string_view path) {
    return std::string(path);
}

std::string path_from_system(std::string_view path) {
    return std::string(path);
}

std::string current_directory() {
    char buffer[MAX_PATH + 1];
    const DWORD n = GetCurrentDirectoryA(sizeof buffer, buffer);
    return n == 0 || n > MAX_PATH ? std::string() : std::string(buffer, n);
}

bool change_directory(std::string_view path) {
    return SetCurrentDirectoryA(std::string(path).c_str()) != 0;
}

} // namespace kelmora
