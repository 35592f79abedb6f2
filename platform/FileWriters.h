// Files that other programs write: whether a writer still has one open, and
// taking one away from its writers whole. A request file must never be taken
// while its writer is at it: on POSIX it can be renamed away from under the
// writer, and whatever the writer writes after that is lost with it.
//
// Linux asks the kernel for a read lease, which it refuses while anyone at
// all has the file open for writing: another user, a Samba server writing
// for a client on another machine. The lease is given up at once. Taking one
// on another user's file needs CAP_LEASE (the service unit grants it); a
// file system that keeps no such record (one mounted from another machine)
// refuses leases altogether. Windows opens the file refusing to share
// writing, which fails while any writer has it open.
#pragma once

#include "platform/Files.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kelmora {

enum class Writers {
    None,    // nobody has it open for writing now
    Some,    // a writer has it open
    Unknown, // the platform cannot tell (see above), or the file is gone
};

Writers file_writers(std::string_view path);

struct TakenFile {
    // What was read, or why it could not be taken: Busy while a writer has
    // it open; Link, NotRegular, TooLarge (by its size) and Missing before
    // anything was moved.
    FileContent content;
    bool moved = false;   // it is under the work name now
    bool changed = false; // written to while it was taken: what was read may be cut
    // The file's identity (file_identity), wherever it could be looked at.
    std::optional<std::uint64_t> identity;
};

// Moves the regular file at `path` (never following a link) to `workPath`,
// replacing a file there, and reads it, at most `limit` bytes, while no
// writer can come back to it: Linux holds a read lease meanwhile (a writer
// that opens it breaks the lease, and that is `changed`); Windows holds it
// open refusing to share writing. Where the lease cannot be had, a file that
// grew or changed its stamp while it was read is `changed`. A move the
// system refuses leaves it where it was (`moved` false, content empty).
TakenFile take_file(std::string_view path, std::string_view workPath, std::size_t limit);

} // namespace kelmora
