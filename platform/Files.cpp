#include "platform/Files.h"

#include <algorithm>
#include <limits>
#include <new>

namespace kelmora {

FileContent read_limited(const std::function<long long(char*, std::size_t)>& read_chunk,
                         std::size_t limit, std::size_t expected) {
    FileContent content;
    try {
        content.bytes.reserve(std::min(expected, limit));
        char chunk[16384];
        for (;;) {
            const long long n = read_chunk(chunk, sizeof chunk);
            if (n < 0) {
                return {{}, FileProblem::Unreadable};
            }
            if (n == 0) {
                return content;
            }
            // It may have grown since it was looked at.
            if (static_cast<std::size_t>(n) > limit - content.bytes.size()) {
                return {{}, FileProblem::TooLarge};
            }
            content.bytes.append(chunk, static_cast<std::size_t>(n));
        }
    } catch (const std::bad_alloc&) {
        return {{}, FileProblem::TooLarge};
    }
}

std::optional<std::string> read_file(std::string_view path, Links links) {
    FileContent content = read_regular_file(path, std::numeric_limits<std::size_t>::max(), links);
    if (!content.ok()) {
        return std::nullopt;
    }
    return std::move(content.bytes);
}

bool replace_file(std::string_view path, std::string_view bytes) {
    std::string temporary(path);
    temporary += ".new";
    if (!write_new_file(temporary, bytes)) {
        // A cut temporary file must not take the old file's place.
        remove_file(temporary);
        return false;
    }
    if (rename_over(temporary, path)) {
        return true;
    }
    remove_file(temporary);
    // The whole content fitted beside it, so it fits in place.
    return write_file(path, bytes);
}

} // namespace kelmora
