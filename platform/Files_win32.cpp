#include "platform/Files.h"

#include <windows.h>

#include <new>
#include <string>

namespace kelmora {

namespace {

// The handle is closed on every way out.
class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    bool Close() {
        const HANDLE h = h_;
        h_ = INVALID_HANDLE_VALUE;
        return h == INVALID_HANDLE_VALUE || CloseHandle(h) != 0;
    }

private:
    HANDLE h_;
};

constexpr DWORD kShareReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;

bool is_regular(HANDLE h) {
    BY_HANDLE_FILE_INFORMATION info;
    return GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandle(h, &info) != 0 &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

long long read_some(HANDLE h, char* buffer, std::size_t size) {
    DWORD n = 0;
    return ReadFile(h, buffer, static_cast<DWORD>(size), &n, nullptr) ? n : -1;
}

bool write_all(HANDLE h, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > 1u << 20 ? 1u << 20 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(h, bytes.data(), chunk, &written, nullptr) || written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

FileProblem problem_of(const std::string& path, DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return FileProblem::Missing;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return FileProblem::Busy;
    default:
        break;
    }
    // A directory refuses to open as a file with "access denied".
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return FileProblem::NotRegular;
    }
    return FileProblem::Unreadable;
}

FileContent refused(FileProblem problem) {
    return FileContent{{}, problem};
}

Handle open_for_writing(std::string_view path, DWORD disposition) {
    return Handle(CreateFileA(std::string(path).c_str(), GENERIC_WRITE, kShareReadWrite, nullptr,
                              disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

} // namespace

// Links are followed whatever the reader asks: only an administrator makes them.
FileContent read_regular_file(std::string_view path, std::size_t limit, Links) {
    const std::string name(path);
    const Handle h(CreateFileA(name.c_str(), GENERIC_READ, kShareReadWrite, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.valid()) {
        return refused(problem_of(name, GetLastError()));
    }
    if (!is_regular(h.get())) {
        return refused(FileProblem::NotRegular);
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h.get(), &size)) {
        return refused(FileProblem::Unreadable);
    }
    if (static_cast<unsigned long long>(size.QuadPart) > limit) {
        return refused(FileProblem::TooLarge);
    }
    return read_limited([&h](char* buffer, std::size_t n) { return read_some(h.get(), buffer, n); },
                        limit, static_cast<std::size_t>(size.QuadPart));
}

bool write_new_file(std::string_view path, std::string_view bytes) {
    Handle h = open_for_writing(path, CREATE_ALWAYS);
    if (!h.valid()) {
        return false;
    }
    const bool written = write_all(h.get(), bytes);
    return h.Close() && written;
}

bool write_file(std::string_view path, std::string_view bytes) {
    Handle h = open_for_writing(path, OPEN_ALWAYS);
    if (!h.valid() || !is_regular(h.get())) {
        return false;
    }
    // Cut only once the new content is there.
    const bool written = write_all(h.get(), bytes) && SetEndOfFile(h.get()) != 0;
    return h.Close() && written;
}

bool append_file(std::string_view path, std::string_view bytes) {
    Handle h(CreateFileA(std::string(path).c_str(), FILE_APPEND_DATA, kShareReadWrite, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.valid() || !is_regular(h.get())) {
        return false;
    }
    const bool written = write_all(h.get(), bytes);
    return h.Close() && written;
}

bool rename_over(std::string_view from, std::string_view to) {
    return MoveFileExA(std::string(from).c_str(), std::string(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING) != 0;
}

Placement place_file(std::string_view from, std::string_view to) {
    if (MoveFileExA(std::string(from).c_str(), std::string(to).c_str(), 0) != 0) {
        return Placement::Placed;
    }
    const DWORD error = GetLastError();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? Placement::Occupied
                                                                       : Placement::Refused;
}

std::optional<std::uint64_t> file_identity(std::string_view path) {
    // Its attributes only, sharing everything: nobody's reading, writing,
    // renaming or removing of it is disturbed.
    const Handle h(CreateFileA(std::string(path).c_str(), FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!h.valid() || !GetFileInformationByHandle(h.get(), &info)) {
        return std::nullopt;
    }
    return (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
}

// A file-system search for exactly that path: anything that matches counts.
bool file_exists(std::string_view path) {
    WIN32_FIND_DATAA data;
    const HANDLE h = FindFirstFileA(std::string(path).c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    FindClose(h);
    return true;
}

bool make_directories(std::string_view path) {
    const std::string whole(path);
    // A drive ("C:") or a share's root refuses to be created, harmlessly.
    for (std::size_t separator = whole.find_first_of("\\/", 1); separator != std::string::npos;
         separator = whole.find_first_of("\\/", separator + 1)) {
        CreateDirectoryA(whole.substr(0, separator).c_str(), nullptr);
    }
    CreateDirectoryA(whole.c_str(), nullptr);
    const DWORD attributes = GetFileAttributesA(whole.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool directory_exists(std::string_view path) {
    if (path.empty()) {
        return false;
    }
    const DWORD attributes = GetFileAttributesA(std::string(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool remove_file(std::string_view path) {
    return DeleteFileA(std::string(path).c_str()) != 0;
}

std::optional<FileStamp> file_stamp(std::string_view path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(std::string(path).c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
    }
    FileStamp stamp;
    stamp.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.modified = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
        data.ftLastWriteTime.dwLowDateTime);
    return stamp;
}

} // namespace kelmora
