#include "platform/Path.h"

#include "platform/Cp1250.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>

#include <climits>
#endif

namespace kelmora {

std::string join_path(std::string_view directory, std::string_view name) {
    std::string path;
    path.reserve(directory.size() + 1 + name.size());
    path.append(directory);
    path += kPathSeparator;
    path.append(name);
    return path;
}

#ifdef _WIN32

bool is_absolute_path(std::string_view path) {
    const auto separator = [](char c) { return c == '\\' || c == '/'; };
    return (!path.empty() && separator(path[0])) ||
           (path.size() >= 3 && path[1] == ':' && separator(path[2]));
}

std::string system_path(std::string_view path) {
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

#else

bool is_absolute_path(std::string_view path) {
    return !path.empty() && path[0] == '/';
}

std::string system_path(std::string_view path) {
    return utf8_from_cp1250(path);
}

std::string current_directory() {
    char buffer[PATH_MAX];
    if (getcwd(buffer, sizeof buffer) == nullptr) {
        return {};
    }
    return cp1250_from_utf8(buffer);
}

bool change_directory(std::string_view path) {
    return chdir(system_path(path).c_str()) == 0;
}

#endif

} // namespace kelmora
