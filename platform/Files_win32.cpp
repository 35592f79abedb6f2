#include "platform/Files.h"

#include <windows.h>

#include <string>

namespace kelmora {

bool rename_over(std::string_view from, std::string_view to) {
    return MoveFileExA(std::string(from).c_str(), std::string(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING) != 0;
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

bool remove_file(std::string_view path) {
    return DeleteFileA(std::string(path).c_str()) != 0;
}

std::optional<std::int64_t> file_age_ms(std::string_view path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(std::string(path).c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
    }
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    auto ticks = [](const FILETIME& t) {
        return (static_cast<std::int64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    const std::int64_t age = (ticks(now) - ticks(data.ftLastWriteTime)) / 10'000;
    return age < 0 ? 0 : age;
}

} // namespace kelmora
