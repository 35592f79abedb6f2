// Whether another program still has a file open for writing. A request file
// must never be taken while its writer is at it: on POSIX it can be renamed
// away from under the writer, and whatever the writer writes after that is
// lost with it.
//
// Linux asks the kernel for a read lease, which it refuses while anyone at
// all has the file open for writing: another user, a Samba server writing
// for a client on another machine. The lease is given up at once. Taking one
// on another user's file needs CAP_LEASE (the service unit grants it); a
// file system that keeps no such record (one mounted from another machine)
// refuses leases altogether. Windows opens the file refusing to share
// writing, which fails while any writer has it open.
#pragma once

#include <string_view>

namespace kelmora {

enum class Writers {
    None,    // nobody has it open for writing now
    Some,    // a writer has it open
    Unknown, // the platform cannot tell (see above), or the file is gone
};

Writers file_writers(std::string_view path);

} // namespace kelmora
