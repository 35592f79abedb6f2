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

TakenFile take_file(std::string_view path, std::string_view workPath, std::size_t limit) {
    TakenFile taken;
    const std::string name = system_path(path);
    // No writer can open it while this handle is held, and the handle lets
    // it be renamed.
    const HANDLE h =
        CreateFileA(name.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            taken.content.problem = FileProblem::Missing;
            break;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            taken.content.problem = FileProblem::Busy;
            break;
        default: {
            const DWORD attributes = GetFileAttributesA(name.c_str());
            taken.content.problem = attributes != INVALID_FILE_ATTRIBUTES &&
                                            (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                                        ? FileProblem::NotRegular
                                        : FileProblem::Unreadable;
        }
        }
        return taken;
    }
    BY_HANDLE_FILE_INFORMATION info;
    LARGE_INTEGER size;
    const bool looked = GetFileInformationByHandle(h, &info) != 0;
    if (looked) {
        taken.identity =
            (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    }
    if (GetFileType(h) != FILE_TYPE_DISK || !looked ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        taken.content.problem = FileProblem::NotRegular;
    } else if (!GetFileSizeEx(h, &size)) {
        taken.content.problem = FileProblem::Unreadable;
    } else if (static_cast<unsigned long long>(size.QuadPart) > limit) {
        taken.content.problem = FileProblem::TooLarge;
    } else if (MoveFileExA(name.c_str(), system_path(workPath).c_str(),
                           MOVEFILE_REPLACE_EXISTING)) {
        taken.moved = true;
        taken.content = read_limited(
            [h](char* buffer, std::size_t n) -> long long {
                DWORD got = 0;
                return ReadFile(h, buffer, static_cast<DWORD>(n), &got, nullptr) ? got : -1;
            },
            limit, static_cast<std::size_t>(size.QuadPart));
    }
    CloseHandle(h);
    return taken;
}

} // namespace kelmora
