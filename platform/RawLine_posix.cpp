// The line on POSIX: a pseudo-terminal's master side or a termios device,
// non-blocking, with a pipe that wakes a wait from another thread.
#include "platform/RawLine.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <utility>

namespace kelmora {

struct RawLine::System {
    int fd = -1;
    int wake[2] = {-1, -1};
    std::string link; // ours to remove at close
};

namespace {

struct Speed {
    int baud;
    speed_t code;
};

constexpr Speed kSpeeds[] = {
    {300, B300},   {600, B600},     {1200, B1200},   {2400, B2400},   {4800, B4800},
    {9600, B9600}, {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200},
};

speed_t speed_code(int baud) {
    for (const Speed& s : kSpeeds) {
        if (s.baud == baud) {
            return s.code;
        }
    }
    return B19200;
}

std::string errno_text() {
    return std::generic_category().message(errno);
}

std::string system_error(const std::string& what) {
    return what + ": " + errno_text();
}

bool make_raw(int fd, speed_t speed, bool mark) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) {
        return false;
    }
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS | CSTOPB);
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    if (mark) {
        t.c_cflag |= PARENB | CMSPAR | PARODD;
    }
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    return tcsetattr(fd, TCSANOW, &t) == 0;
}

// A link is replaced only when it is a symbolic link already; any other file
// at that path is left alone.
bool make_link(const std::string& target, const std::string& link, std::string& error) {
    struct stat st {};
    if (lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            error = "cannot link " + link + ": a file that is not a symbolic link is in the way";
            return false;
        }
        if (unlink(link.c_str()) != 0) {
            error = system_error("cannot replace the link " + link);
            return false;
        }
    }
    if (symlink(target.c_str(), link.c_str()) != 0) {
        error = system_error("cannot link " + link);
        return false;
    }
    return true;
}

// The system's part of a line whose descriptor is `fd`, with its wake-up
// pipe; without a pipe `fd` is closed.
std::unique_ptr<RawLine::System> with_wake_pipe(int fd, std::string& error) {
    auto system = std::make_unique<RawLine::System>();
    system->fd = fd;
    if (pipe2(system->wake, O_NONBLOCK | O_CLOEXEC) != 0) {
        error = system_error("cannot make a wake-up pipe");
        close(fd);
        return nullptr;
    }
    return system;
}

} // namespace

RawLine::RawLine(std::unique_ptr<System> system, std::string path, bool is_pty)
    : system_(std::move(system)), path_(std::move(path)), is_pty_(is_pty) {}

RawLine::~RawLine() {
    if (!system_->link.empty()) {
        // Only our own link goes; another simulator may have taken the name since.
        char target[4096];
        const ssize_t n = readlink(system_->link.c_str(), target, sizeof target - 1);
        if (n >= 0 && std::string(target, static_cast<std::size_t>(n)) == path_) {
            unlink(system_->link.c_str());
        }
    }
    for (const int fd : {system_->fd, system_->wake[0], system_->wake[1]}) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

std::unique_ptr<RawLine> RawLine::open_pty(const std::string& link, std::string& error) {
    const int fd = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = system_error("cannot open a pseudo-terminal");
        return nullptr;
    }
    char name[256];
    if (grantpt(fd) != 0 || unlockpt(fd) != 0 || ptsname_r(fd, name, sizeof name) != 0) {
        error = system_error("cannot prepare the pseudo-terminal");
        close(fd);
        return nullptr;
    }
    // Raw before anyone opens the slave side: echo would send every byte back.
    if (!make_raw(fd, B19200, false)) {
        error = system_error("cannot set the pseudo-terminal to raw mode");
        close(fd);
        return nullptr;
    }
    std::unique_ptr<System> system = with_wake_pipe(fd, error);
    if (!system) {
        return nullptr;
    }
    std::unique_ptr<RawLine> line(new RawLine(std::move(system), name, true));
    if (!link.empty()) {
        if (!make_link(line->path_, link, error)) {
            return nullptr;
        }
        line->system_->link = link;
    }
    return line;
}

std::unique_ptr<RawLine> RawLine::open_device(const std::string& path, int baud, bool mark,
                                              std::string& error) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = system_error("cannot open " + path);
        return nullptr;
    }
    std::unique_ptr<System> system = with_wake_pipe(fd, error);
    if (!system) {
        return nullptr;
    }
    std::unique_ptr<RawLine> line(new RawLine(std::move(system), path, false));
    if (!isatty(fd)) {
        error = path + " is not a serial device";
        return nullptr;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0) {
        error = system_error("cannot have " + path + " to itself");
        return nullptr;
    }
    if (!make_raw(fd, speed_code(baud), mark)) {
        error = system_error("cannot set up " + path);
        return nullptr;
    }
    tcflush(fd, TCIOFLUSH);
    return line;
}

RawLine::Status RawLine::read_available(std::string& out) {
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(system_->fd, buffer, sizeof buffer);
        if (n > 0) {
            out.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n == 0) {
            // A pseudo-terminal whose slave side is closed; a device never ends.
            error_ = "the device has gone";
            return is_pty_ ? Status::Hangup : Status::Failed;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            return Status::Ok;
        }
        error_ = errno_text();
        return is_pty_ && errno == EIO ? Status::Hangup : Status::Failed;
    }
}

RawLine::Status RawLine::write_some(std::string_view bytes, std::size_t& written) {
    written = 0;
    while (written < bytes.size()) {
        const ssize_t n = write(system_->fd, bytes.data() + written, bytes.size() - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return Status::Ok;
        }
        error_ = n < 0 ? errno_text() : "the line took nothing";
        return is_pty_ && n < 0 && errno == EIO ? Status::Hangup : Status::Failed;
    }
    return Status::Ok;
}

RawLine::Status RawLine::wait(std::optional<std::chrono::nanoseconds> timeout, bool want_room,
                              bool watch_line, Ready& ready) {
    ready = {};
    timespec ts{};
    if (timeout) {
        ts.tv_sec = static_cast<time_t>(timeout->count() / 1'000'000'000);
        ts.tv_nsec = static_cast<long>(timeout->count() % 1'000'000'000);
    }
    const auto line_events = static_cast<short>(POLLIN | (want_room ? POLLOUT : 0));
    pollfd fds[2] = {{system_->wake[0], POLLIN, 0}, {system_->fd, line_events, 0}};
    if (ppoll(fds, watch_line ? 2 : 1, timeout ? &ts : nullptr, nullptr) < 0) {
        if (errno == EINTR) {
            return Status::Ok;
        }
        error_ = errno_text();
        return Status::Failed;
    }
    if (fds[0].revents & POLLIN) {
        char drain[64];
        while (read(system_->wake[0], drain, sizeof drain) > 0) {
        }
    }
    if (!watch_line) {
        return Status::Ok;
    }
    if (fds[1].revents & POLLNVAL) {
        error_ = "the line was closed under the simulator";
        return Status::Failed;
    }
    ready.input = (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
    ready.room = (fds[1].revents & POLLOUT) != 0;
    return Status::Ok;
}

void RawLine::wake() {
    const char byte = 1;
    [[maybe_unused]] const auto n = write(system_->wake[1], &byte, 1);
}

bool RawLine::hung_up() {
    if (!is_pty_) {
        return false;
    }
    pollfd probe{system_->fd, POLLIN, 0};
    return poll(&probe, 1, 0) < 0 || (probe.revents & POLLHUP) != 0;
}

} // namespace kelmora
