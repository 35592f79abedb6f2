// Whole-file operations on Windows-1250 paths. Files are opened, written and
// closed for every operation; nothing is held open in between.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelmora {

// The whole content, or nothing when the file cannot be read.
std::optional<std::string> read_file(std::string_view path);

// Creates or truncates the file and writes `bytes`.
bool write_file(std::string_view path, std::string_view bytes);

// Writes `bytes` to a temporary file beside `path` and renames it over the
// old one, so a reader never sees half a file. Where the rename is refused
// (a reader holds the file on Windows) the file is written in place.
bool replace_file(std::string_view path, std::string_view bytes);

// Appends `bytes`, creating the file if it is missing.
bool append_file(std::string_view path, std::string_view bytes);

bool file_exists(std::string_view path);
bool remove_file(std::string_view path);

// Milliseconds since the file was last modified, or nothing when it cannot
// be examined. Never negative: a stamp in the future counts as just now.
std::optional<std::int64_t> file_age_ms(std::string_view path);

} // namespace kelmora
