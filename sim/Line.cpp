#include "sim/Line.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace kelmora::sim {

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

std::string system_error(const std::string& what) {
    return what + ": " + std::strerror(errno);
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

} // namespace

bool supported_baud(int baud) {
    for (const Speed& s : kSpeeds) {
        if (s.baud == baud) {
            return true;
        }
    }
    return false;
}

Line::~Line() {
    if (!link_.empty()) {
        // Only our own link goes; another simulator may have taken the name since.
        char target[4096];
        const ssize_t n = readlink(link_.c_str(), target, sizeof target - 1);
        if (n >= 0 && std::string(target, static_cast<std::size_t>(n)) == path_) {
            unlink(link_.c_str());
        }
    }
    if (fd_ >= 0) {
        close(fd_);
    }
}

std::unique_ptr<Line> Line::open_pty(const std::string& link, std::string& error) {
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
    std::unique_ptr<Line> line(new Line(fd, name, true));
    if (!link.empty()) {
        if (!make_link(line->path_, link, error)) {
            return nullptr;
        }
        line->link_ = link;
    }
    return line;
}

std::unique_ptr<Line> Line::open_device(const std::string& path, int baud, bool mark,
                                        std::string& error) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = system_error("cannot open " + path);
        return nullptr;
    }
    std::unique_ptr<Line> line(new Line(fd, path, false));
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

Line::Status Line::read_available(std::string& out) {
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fd_, buffer, sizeof buffer);
        if (n > 0) {
            out.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n == 0) {
            // A pseudo-terminal whose slave side is closed; a device never ends.
            errno = ENXIO;
            return is_pty_ ? Status::Hangup : Status::Failed;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            return Status::Ok;
        }
        return is_pty_ && errno == EIO ? Status::Hangup : Status::Failed;
    }
}

Line::Status Line::write_some(std::string_view bytes, std::size_t& written) {
    written = 0;
    while (written < bytes.size()) {
        const ssize_t n = write(fd_, bytes.data() + written, bytes.size() - written);
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
        return is_pty_ && n < 0 && errno == EIO ? Status::Hangup : Status::Failed;
    }
    return Status::Ok;
}

} // namespace kelmora::sim
