// null-modem: two pseudo-terminals wired to each other like a crossed serial
// cable, for Windows programs running under Wine. Each slave gets a fixed link
// path (the path a COM port is mapped to in Wine's registry), so the program
// opens two COM ports and whatever it writes on one arrives on the other.
//
//   null-modem LINK_A LINK_B [-- COMMAND ARGS...]
//
// With a command, the links exist before it starts, the line runs while it
// runs, and null-modem ends with its exit status (removing the links). Without
// one, it prints "ready" once the links exist and runs until SIGTERM or SIGINT.
//
// null-modem keeps a descriptor of each slave open itself: when the program
// closes its port, the master does not see a hang-up, and the line works again
// as soon as the port is reopened. A side that nobody reads fills up and then
// holds the other side back, as a real line with a full receive queue would.
// Built for the host (POSIX), not for Windows: it is no part of Kelmora.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

volatile sig_atomic_t stop_requested = 0;

void on_stop(int) {
    stop_requested = 1;
}

struct Pty {
    int master = -1;
    int slave = -1;
    std::string slave_path;
    std::string link;
};

bool make_raw(int fd) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) {
        return false;
    }
    cfmakeraw(&t);
    return tcsetattr(fd, TCSANOW, &t) == 0;
}

// Points `link` at `target`, replacing whatever was there in one step.
bool point_link(const std::string& link, const std::string& target) {
    const std::string temporary = link + ".new";
    unlink(temporary.c_str());
    if (symlink(target.c_str(), temporary.c_str()) != 0) {
        return false;
    }
    return rename(temporary.c_str(), link.c_str()) == 0;
}

bool open_pty(Pty& p) {
    p.master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (p.master < 0 || grantpt(p.master) != 0 || unlockpt(p.master) != 0) {
        return false;
    }
    const char* name = ptsname(p.master);
    if (name == nullptr) {
        return false;
    }
    p.slave_path = name;
    p.slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    return p.slave >= 0 && make_raw(p.master) && make_raw(p.slave) &&
           point_link(p.link, p.slave_path);
}

// Bytes read from one master and not yet written to the other.
struct Direction {
    Pty* from;
    Pty* to;
    std::vector<unsigned char> pending;
    std::size_t done = 0;
};

// One pass: moves whatever can move without blocking. False when a master
// failed for good.
bool pump(Direction& d, short from_events, short to_events) {
    if (d.done == d.pending.size() && (from_events & POLLIN) != 0) {
        unsigned char buffer[4096];
        const ssize_t n = read(d.from->master, buffer, sizeof buffer);
        if (n > 0) {
            d.pending.assign(buffer, buffer + n);
            d.done = 0;
        } else if (n < 0 && errno != EAGAIN && errno != EINTR && errno != EIO) {
            return false;
        }
    }
    if (d.done < d.pending.size() && (to_events & POLLOUT) != 0) {
        const ssize_t n = write(d.to->master, d.pending.data() + d.done, d.pending.size() - d.done);
        if (n > 0) {
            d.done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR && errno != EIO) {
            return false;
        }
    }
    return true;
}

int child_status_code(int status) {
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3 || (argc > 3 && (std::strcmp(argv[3], "--") != 0 || argc == 4))) {
        std::fprintf(stderr, "usage: null-modem LINK_A LINK_B [-- COMMAND ARGS...]\n");
        return 2;
    }
    Pty a;
    Pty b;
    a.link = argv[1];
    b.link = argv[2];
    if (!open_pty(a) || !open_pty(b)) {
        std::fprintf(stderr, "null-modem: cannot set up the line: %s\n", std::strerror(errno));
        unlink(a.link.c_str());
        unlink(b.link.c_str());
        return 1;
    }

    struct sigaction action {};
    action.sa_handler = on_stop;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    pid_t child = -1;
    if (argc > 4) {
        child = fork();
        if (child == 0) {
            execvp(argv[4], argv + 4);
            std::fprintf(stderr, "null-modem: cannot run %s: %s\n", argv[4], std::strerror(errno));
            _exit(127);
        }
        if (child < 0) {
            std::fprintf(stderr, "null-modem: cannot start the command: %s\n",
                         std::strerror(errno));
            return 1;
        }
    } else {
        std::printf("ready\n");
        std::fflush(stdout);
    }

    Direction ab{&a, &b, {}, 0};
    Direction ba{&b, &a, {}, 0};
    int exit_code = 0;
    bool line_ok = true;
    while (!stop_requested) {
        if (child > 0) {
            int status = 0;
            const pid_t done = waitpid(child, &status, WNOHANG);
            if (done == child) {
                exit_code = child_status_code(status);
                child = -1;
                break;
            }
        }
        pollfd fds[2] = {{a.master, 0, 0}, {b.master, 0, 0}};
        fds[0].events = static_cast<short>((ab.done == ab.pending.size() ? POLLIN : 0) |
                                           (ba.done < ba.pending.size() ? POLLOUT : 0));
        fds[1].events = static_cast<short>((ba.done == ba.pending.size() ? POLLIN : 0) |
                                           (ab.done < ab.pending.size() ? POLLOUT : 0));
        // A short slice, so that the end of the command is noticed at once.
        if (poll(fds, 2, 20) < 0 && errno != EINTR) {
            line_ok = false;
            break;
        }
        if (!pump(ab, fds[0].revents, fds[1].revents) ||
            !pump(ba, fds[1].revents, fds[0].revents)) {
            line_ok = false;
            break;
        }
    }
    if (child > 0) {
        kill(child, SIGTERM);
        int status = 0;
        waitpid(child, &status, 0);
        exit_code = child_status_code(status);
    }
    unlink(a.link.c_str());
    unlink(b.link.c_str());
    if (!line_ok) {
        std::fprintf(stderr, "null-modem: the line failed: %s\n", std::strerror(errno));
        return exit_code != 0 ? exit_code : 1;
    }
    return exit_code;
}
