#include "platform/FileProblem_posix.h"
#include "platform/FileWriters.h"
#include "platform/Path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <mutex>

namespace kelmora {

namespace {

// A lease that a writer breaks is announced with SIGIO, which would end the
// process; the lease is given up at once anyway, so the signal is ignored.
void IgnoreLeaseBreaks() {
    static std::once_flag once;
    std::call_once(once, [] { std::signal(SIGIO, SIG_IGN); });
}

// The descriptor is closed on every way out.
class OpenFile {
public:
    explicit OpenFile(int fd) : fd_(fd) {}
    ~OpenFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Opens without waiting on whatever stands under the name, never through a
// link, for reading only (a lease needs that).
int open_for_lease(const std::string& native) {
    return ::open(native.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
}

// Nothing here follows a link: ELOOP is one.
FileProblem problem_of(int error) {
    return error == ELOOP ? FileProblem::Link : file_problem_of(error);
}

TakenFile refused(FileProblem problem, std::optional<std::uint64_t> identity = std::nullopt) {
    TakenFile taken;
    taken.content.problem = problem;
    taken.identity = identity;
    return taken;
}

} // namespace

Writers file_writers(std::string_view path) {
    IgnoreLeaseBreaks();
    // A lease is taken on a descriptor open for reading only, and the open
    // must not wait on whatever stands under the name.
    const int fd = open_for_lease(system_path(path));
    if (fd < 0) {
        return Writers::Unknown;
    }
    struct stat st {};
    Writers writers = Writers::Unknown;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        if (fcntl(fd, F_SETLEASE, F_RDLCK) == 0) {
            fcntl(fd, F_SETLEASE, F_UNLCK);
            writers = Writers::None;
        } else if (errno == EAGAIN) {
            writers = Writers::Some;
        }
    }
    ::close(fd);
    return writers;
}

TakenFile take_file(std::string_view path, std::string_view workPath, std::size_t limit) {
    IgnoreLeaseBreaks();
    const std::string native = system_path(path);
    struct stat st {};
    if (lstat(native.c_str(), &st) != 0) {
        return refused(problem_of(errno));
    }
    const std::optional<std::uint64_t> named = static_cast<std::uint64_t>(st.st_ino);
    if (S_ISLNK(st.st_mode)) {
        return refused(FileProblem::Link, named);
    }
    if (!S_ISREG(st.st_mode)) {
        return refused(FileProblem::NotRegular, named);
    }
    const OpenFile fd(open_for_lease(native));
    if (fd.get() < 0) {
        return refused(problem_of(errno), named);
    }
    if (fstat(fd.get(), &st) != 0) {
        return refused(FileProblem::Unreadable, named);
    }
    // From here on the file this descriptor holds.
    const std::optional<std::uint64_t> identity = static_cast<std::uint64_t>(st.st_ino);
    if (!S_ISREG(st.st_mode)) {
        return refused(FileProblem::NotRegular, identity);
    }
    if (static_cast<std::uint64_t>(st.st_size) > limit) {
        return refused(FileProblem::TooLarge, identity);
    }
    bool leased = fcntl(fd.get(), F_SETLEASE, F_RDLCK) == 0;
    if (!leased && errno == EAGAIN) {
        return refused(FileProblem::Busy, identity);
    }
    TakenFile taken;
    taken.identity = identity;
    if (std::rename(native.c_str(), system_path(workPath).c_str()) != 0) {
        if (leased) {
            fcntl(fd.get(), F_SETLEASE, F_UNLCK);
        }
        return taken;
    }
    taken.moved = true;
    taken.content = read_limited(
        [&fd](char* buffer, std::size_t size) -> long long {
            for (;;) {
                const ssize_t n = ::read(fd.get(), buffer, size);
                if (n >= 0 || errno != EINTR) {
                    return n;
                }
            }
        },
        limit, static_cast<std::size_t>(st.st_size));
    struct stat after {};
    if (leased) {
        // A writer that opened it meanwhile has begun to break the lease.
        taken.changed = fcntl(fd.get(), F_GETLEASE) != F_RDLCK;
        fcntl(fd.get(), F_SETLEASE, F_UNLCK);
    } else {
        taken.changed = fstat(fd.get(), &after) != 0 || after.st_size != st.st_size ||
                        after.st_mtim.tv_sec != st.st_mtim.tv_sec ||
                        after.st_mtim.tv_nsec != st.st_mtim.tv_nsec ||
                        (taken.content.ok() &&
                         taken.content.bytes.size() != static_cast<std::size_t>(st.st_size));
    }
    return taken;
}

} // namespace kelmora
