#include "platform/FileProblem_posix.h"
#include "platform/Files.h"
#include "platform/Path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <new>

namespace kelmora {

namespace {

// The descriptor is closed on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { Close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0 || errno == EINTR;
    }

private:
    int fd_;
};

bool is_regular(int fd) {
    struct stat st {};
    return fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

// A read that a signal interrupts is read again.
long long read_some(int fd, char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd, buffer, size);
        if (n >= 0 || errno != EINTR) {
            return n;
        }
    }
}

bool write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

FileContent refused(FileProblem problem) {
    return FileContent{{}, problem};
}

} // namespace

FileContent read_regular_file(std::string_view path, std::size_t limit, Links links) {
    const std::string native = system_path(path);
    const bool follow = links == Links::Follow;
    // Looked at before it is opened: opening a device (a serial port behind
    // a link) has effects of its own.
    struct stat st {};
    if ((follow ? stat(native.c_str(), &st) : lstat(native.c_str(), &st)) != 0) {
        return refused(file_problem_of(errno));
    }
    if (S_ISLNK(st.st_mode)) {
        return refused(FileProblem::Link);
    }
    if (!S_ISREG(st.st_mode)) {
        return refused(FileProblem::NotRegular);
    }
    // Without blocking: whatever stands there by now must not hold the thread;
    // and a link put there since is still not followed.
    const Descriptor fd(::open(native.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC |
                                                   (follow ? 0 : O_NOFOLLOW)));
    if (!fd.valid()) {
        return refused(errno == ELOOP && !follow ? FileProblem::Link : file_problem_of(errno));
    }
    if (fstat(fd.get(), &st) != 0) {
        return refused(FileProblem::Unreadable);
    }
    if (!S_ISREG(st.st_mode)) {
        return refused(FileProblem::NotRegular);
    }
    if (static_cast<std::uint64_t>(st.st_size) > limit) {
        return refused(FileProblem::TooLarge);
    }
    return read_limited(
        [&fd](char* buffer, std::size_t size) { return read_some(fd.get(), buffer, size); }, limit,
        static_cast<std::size_t>(st.st_size));
}

bool write_new_file(std::string_view path, std::string_view bytes) {
    const std::string native = system_path(path);
    // Whatever stood under the name (a FIFO would block the open) goes first.
    ::unlink(native.c_str());
    Descriptor fd(
        ::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (!fd.valid()) {
        return false;
    }
    const bool written = write_all(fd.get(), bytes);
    return fd.Close() && written;
}

bool write_file(std::string_view path, std::string_view bytes) {
    Descriptor fd(::open(system_path(path).c_str(),
                         O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC,
                         0666));
    if (!fd.valid() || !is_regular(fd.get())) {
        return false;
    }
    // Cut only once the new content is there.
    const bool written =
        write_all(fd.get(), bytes) && ::ftruncate(fd.get(), static_cast<off_t>(bytes.size())) == 0;
    return fd.Close() && written;
}

bool append_file(std::string_view path, std::string_view bytes) {
    Descriptor fd(::open(
        system_path(path).c_str(),
        O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (!fd.valid() || !is_regular(fd.get())) {
        return false;
    }
    const bool written = write_all(fd.get(), bytes);
    return fd.Close() && written;
}

bool rename_over(std::string_view from, std::string_view to) {
    return std::rename(system_path(from).c_str(), system_path(to).c_str()) == 0;
}

Placement place_file(std::string_view from, std::string_view to) {
    const std::string source = system_path(from);
    const std::string target = system_path(to);
    if (renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
        return Placement::Placed;
    }
    if (errno == EEXIST) {
        return Placement::Occupied;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return Placement::Refused;
    }
    // A file system without the flag: a link never replaces a name either.
    if (::link(source.c_str(), target.c_str()) != 0) {
        return errno == EEXIST ? Placement::Occupied : Placement::Refused;
    }
    ::unlink(source.c_str());
    return Placement::Placed;
}

std::optional<std::uint64_t> file_identity(std::string_view path) {
    struct stat st {};
    if (lstat(system_path(path).c_str(), &st) != 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(st.st_ino);
}

bool file_exists(std::string_view path) {
    struct stat st {};
    return stat(system_path(path).c_str(), &st) == 0;
}

bool make_directories(std::string_view path) {
    const std::string system = system_path(path);
    for (std::size_t slash = system.find('/', 1); slash != std::string::npos;
         slash = system.find('/', slash + 1)) {
        mkdir(system.substr(0, slash).c_str(), 0755);
    }
    mkdir(system.c_str(), 0755);
    struct stat st {};
    return stat(system.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool directory_exists(std::string_view path) {
    struct stat st {};
    return !path.empty() && stat(system_path(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool remove_file(std::string_view path) {
    return std::remove(system_path(path).c_str()) == 0;
}

std::optional<FileStamp> file_stamp(std::string_view path) {
    struct stat st {};
    if (stat(system_path(path).c_str(), &st) != 0) {
        return std::nullopt;
    }
    FileStamp stamp;
    stamp.size = static_cast<std::uint64_t>(st.st_size);
    stamp.modified =
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    stamp.identity = static_cast<std::uint64_t>(st.st_ino);
    return stamp;
}

} // namespace kelmora
