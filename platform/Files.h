// Whole-file operations on Windows-1250 paths. Files are opened, written and
// closed for every operation; nothing is held open in between, and every
// handle is released on every way out.
//
// Nothing here blocks on what only looks like a file: a FIFO, a device or a
// directory under a file's name is refused, never waited on, and a file is
// never read into memory beyond the limit its reader gives.
//
// Nothing is written through a symbolic link: the data path and the log's
// directory may be writable by others (the host application's group), and a
// link planted there would send the program's writes, or a truncation, into
// a file only the program may change. A writer refuses a link under the
// name; one that replaces the file (a temporary file renamed over it)
// replaces the link itself. On Windows only an administrator makes links,
// and they are followed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kelmora {

// Why a file could not be taken.
enum class FileProblem {
    None,
    Missing,    // nothing under that name (also: it went away meanwhile)
    Busy,       // another program holds it (a Windows sharing rule): try again later
    NotRegular, // a directory, a FIFO, a device, a socket
    TooLarge,   // more bytes than the reader's limit
    Unreadable, // access refused, or the read failed
    Link,       // a symbolic link, where the reader follows none
};

// Whether a reader follows a symbolic link under the name. A file that others
// may have put there (a request file in the data path) is read only as
// itself: a link could lead to a file the program may read and they may not.
enum class Links { Follow, Refuse };

struct FileContent {
    std::string bytes;
    FileProblem problem = FileProblem::None;

    bool ok() const { return problem == FileProblem::None; }
};

// A regular file of at most `limit` bytes. Opens without blocking, and never
// holds more than `limit` + 1 bytes in memory.
FileContent read_regular_file(std::string_view path, std::size_t limit,
                              Links links = Links::Follow);

// Reads through `read_chunk(buffer, size)` (the bytes read, 0 at the end, a
// negative number when the read fails) until the end: TooLarge past `limit`
// bytes, Unreadable when a read fails. `expected` is the size the file had.
FileContent read_limited(const std::function<long long(char*, std::size_t)>& read_chunk,
                         std::size_t limit, std::size_t expected);

// The whole content of a regular file, or nothing when it cannot be read.
std::optional<std::string> read_file(std::string_view path, Links links = Links::Follow);

// Writes `bytes` over the regular file at `path`, creating it if it is
// missing, and cuts it to their length. False for a link under the name.
bool write_file(std::string_view path, std::string_view bytes);

// Creates `path` afresh as a regular file holding `bytes`, whatever stood
// under that name before. False when it cannot be written whole.
bool write_new_file(std::string_view path, std::string_view bytes);

// Writes `bytes` to a temporary file beside `path` and renames it over the
// old one, so a reader never sees half a file. When the temporary file cannot
// be written whole (a full disk), the old file stays as it was and the result
// is false. Only where the rename itself is refused (a reader holds the file
// on Windows) is the file written in place.
bool replace_file(std::string_view path, std::string_view bytes);

// Appends `bytes` to a regular file, creating it if it is missing. False for
// a link under the name.
bool append_file(std::string_view path, std::string_view bytes);

bool file_exists(std::string_view path);

// Creates the directory and whatever is missing above it; true when the
// directory is there afterwards.
bool make_directories(std::string_view path);
// Whether `path` names an existing directory (an empty path names none).
bool directory_exists(std::string_view path);
bool remove_file(std::string_view path);

// Renames `from` to `to`, replacing a file of that name. False when refused.
bool rename_over(std::string_view from, std::string_view to);

// What placing a file under a new name did.
enum class Placement {
    Placed,   // it is under the new name now
    Occupied, // something already has that name: nothing was moved
    Refused,  // the system refused (access, a file system without a way to do it)
};

// Renames `from` to `to` only while nothing has the name `to`: never replaces
// a file, so a request the host dropped and that is not taken yet stays as
// it is. Linux renames with RENAME_NOREPLACE, or where the file system lacks
// it, makes a link under the new name (refused when the name is taken) and
// removes the old one; Windows moves without replacing.
Placement place_file(std::string_view from, std::string_view to);

// A file's identity on its volume (the inode; on Windows the file index),
// never following a link, or nothing when it cannot be looked at. It stays
// with the file across a rename, so the file is known under its next name.
std::optional<std::uint64_t> file_identity(std::string_view path);

// What tells one state of a file from another without reading it: its size,
// its modification stamp and its identity on the volume. Compared only with
// another stamp of the same file, never with the clock.
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t modified = 0; // in the system's own units
    std::uint64_t identity = 0;

    bool operator==(const FileStamp&) const = default;
};

// The stamp, or nothing when the file cannot be examined.
std::optional<FileStamp> file_stamp(std::string_view path);

} // namespace kelmora
