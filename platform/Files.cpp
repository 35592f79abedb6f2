#include "platform/Files.h"

#include "platform/Path.h"

#include <cstdio>

namespace kelmora {

// Platform half: Files_posix.cpp or Files_win32.cpp.
bool rename_over(std::string_view from, std::string_view to);

namespace {

bool write_with_mode(std::string_view path, std::string_view bytes, const char* mode) {
    std::FILE* f = std::fopen(system_path(path).c_str(), mode);
    if (f == nullptr) {
        return false;
    }
    const bool written =
        bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    return written && closed;
}

} // namespace

std::optional<std::string> read_file(std::string_view path) {
    std::FILE* f = std::fopen(system_path(path).c_str(), "rb");
    if (f == nullptr) {
        return std::nullopt;
    }
    std::string content;
    char chunk[16384];
    std::size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
        content.append(chunk, n);
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        return std::nullopt;
    }
    return content;
}

bool write_file(std::string_view path, std::string_view bytes) {
    return write_with_mode(path, bytes, "wb");
}

bool append_file(std::string_view path, std::string_view bytes) {
    return write_with_mode(path, bytes, "ab");
}

bool replace_file(std::string_view path, std::string_view bytes) {
    std::string temporary(path);
    temporary += ".new";
    if (write_file(temporary, bytes) && rename_over(temporary, path)) {
        return true;
    }
    remove_file(temporary);
    return write_file(path, bytes);
}

} // namespace kelmora
