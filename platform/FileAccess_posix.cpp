#include "platform/FileAccess.h"
#include "platform/Path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace kelmora {

bool is_writable(std::string_view path) {
    const std::string native = system_path(path);
    struct stat st {};
    if (stat(native.c_str(), &st) != 0) {
        return false;
    }
    // Entries of a directory can only be made when it may also be searched.
    const int mode = S_ISDIR(st.st_mode) ? (W_OK | X_OK) : W_OK;
    return access(native.c_str(), mode) == 0;
}

DirectoryProblem directory_write_problem(std::string_view path) {
    const std::string native = system_path(path);
    struct stat st {};
    if (path.empty() || stat(native.c_str(), &st) != 0) {
        return DirectoryProblem::Missing;
    }
    if (!S_ISDIR(st.st_mode)) {
        return DirectoryProblem::NotDirectory;
    }
    if (access(native.c_str(), W_OK | X_OK) == 0) {
        return DirectoryProblem::None;
    }
    return errno == EROFS ? DirectoryProblem::ReadOnly : DirectoryProblem::Denied;
}

} // namespace kelmora
