#include "platform/FileAccess.h"
#include "platform/Path.h"

#include <sys/stat.h>
#include <unistd.h>

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

} // namespace kelmora
