#include "platform/Path.h"

namespace kelmora {

std::string join_path(std::string_view directory, std::string_view name) {
    std::string path;
    path.reserve(directory.size() + 1 + name.size());
    path.append(directory);
    path += kPathSeparator;
    path.append(name);
    return path;
}

} // namespace kelmora
