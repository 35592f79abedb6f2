// What an errno of a failed open or stat says about a file, for the POSIX
// halves that take files: missing, not a regular file, or unreadable. A link
// where none is followed (ELOOP) is the caller's to tell.
#pragma once

#include "platform/Files.h"

#include <cerrno>

namespace kelmora {

inline FileProblem file_problem_of(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return FileProblem::Missing;
    case EISDIR:
    case ENXIO:
    case ENODEV:
        return FileProblem::NotRegular;
    default:
        return FileProblem::Unreadable;
    }
}

} // namespace kelmora
