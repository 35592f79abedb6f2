// Paths inside Kelmora are Windows-1250 text, built as directory, separator,
// name: the separator is always inserted, even after one already there.
#pragma once

#include <string>
#include <string_view>

namespace kelmora {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

std::string join_path(std::string_view directory, std::string_view name);

// Whether the path names the same file from any current directory ("/x";
// on Windows "C:\x", "\\server\x" and "\x").
bool is_absolute_path(std::string_view path);

// The directory a path's file is in, with its separator ("data/" for
// "data/x.ini"; on Windows also "C:" for "C:x.ini"); "." for a bare name.
std::string directory_of(std::string_view path);

// The form a system call takes: UTF-8 on POSIX, the bytes themselves for the
// Windows ANSI calls.
std::string system_path(std::string_view path);

// The other way: a path as the system gives it (the command line, a system
// call's answer) as Windows-1250 text.
std::string path_from_system(std::string_view path);

// The process's current directory as Windows-1250 text; empty if unknown.
std::string current_directory();

// Changes the current directory; false when refused.
bool change_directory(std::string_view path);

} // namespace kelmora
