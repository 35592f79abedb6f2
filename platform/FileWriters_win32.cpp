#include "platform/FileWriters.h"
#include "platform/Path.h"

#include <windows.h>

namespace kelmora {

Writers file_writers(std::string_view path) {
    // Sharing reading and deleting, never writing: refused while a writer
    // has the file open, whatever it shares itself.
    const HANDLE h =
        CreateFileA(system_path(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ? Writers::Some
                                                                                 : Writers::Unknown;
    }
    CloseHandle(h);
    return Writers::None;
}

} // namespace kelmora
