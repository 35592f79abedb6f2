#include "platform/FileAccess.h"
#include "platform/Path.h"

#include <windows.h>

namespace kelmora {

bool is_writable(std::string_view path) {
    const DWORD attributes = GetFileAttributesA(system_path(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return true;
    }
    return (attributes & FILE_ATTRIBUTE_READONLY) == 0;
}

DirectoryProblem directory_write_problem(std::string_view path) {
    const DWORD attributes =
        path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(system_path(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return DirectoryProblem::Missing;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? DirectoryProblem::None
                                                        : DirectoryProblem::NotDirectory;
}

} // namespace kelmora
