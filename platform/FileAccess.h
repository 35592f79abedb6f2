// Whether this process may change a file or directory that already exists.
// Writers that replace a file through a temporary file and a rename ask this
// first: a rename would otherwise put a new file in place of a read-only one.
#pragma once

#include <string_view>

namespace kelmora {

// True when `path` exists and may be written: a file's content, or for a
// directory, its entries (creating, renaming and removing files in it).
// False for a missing path. On Windows the read-only attribute of a
// directory does not stop writes into it, so a directory counts as writable.
bool is_writable(std::string_view path);

// Why files cannot be made in a directory.
enum class DirectoryProblem {
    None,
    Missing,      // nothing under that name
    NotDirectory, // a file under that name
    ReadOnly,     // a read-only file system, or a sandbox that mounts it so
    Denied,       // the permissions (or an immutable directory) refuse it
};

// Whether files can be made, renamed and removed in `path`, and if not, why.
// On Windows only a missing directory or a file under its name is found.
DirectoryProblem directory_write_problem(std::string_view path);

} // namespace kelmora
