#include "platform/Cp1250.h"
#include "platform/Path.h"

#include <unistd.h>

#include <climits>

namespace kelmora {

bool is_absolute_path(std::string_view path) {
    return !path.empty() && path[0] == '/';
}

std::string directory_of(std::string_view path) {
    const std::size_t cut = path.find_last_of('/');
    return cut == std::string_view::npos ? "." : std::string(path.substr(0, cut + 1));
}

std::string system_path(std::string_view path) {
    return utf8_from_cp1250(path);
}

std::string path_from_system(std::string_view path) {
    return cp1250_from_utf8(path);
}

std::string current_directory() {
    char buffer[PATH_MAX];
    if (getcwd(buffer, sizeof buffer) == nullptr) {
        return {};
    }
    return path_from_system(buffer);
}

bool change_directory(std::string_view path) {
    return chdir(system_path(path).c_str()) == 0;
}

} // namespace kelmora
