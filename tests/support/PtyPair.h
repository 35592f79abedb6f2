// A pseudo-terminal for tests: the slave path stands in for a serial device,
// the test plays the far side of the line on the master. Both ends are raw,
// so every byte value passes unchanged.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace kelmora::testing {

class PtyPair {
public:
    PtyPair() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
            ADD_FAILURE() << "no pseudo-terminal: " << errno;
            return;
        }
        const char* name = ptsname(master_);
        path_ = name != nullptr ? name : "";
        termios t{};
        tcgetattr(master_, &t);
        cfmakeraw(&t);
        tcsetattr(master_, TCSANOW, &t);
    }
    ~PtyPair() { close_master(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& path() const { return path_; }
    int master() const { return master_; }

    // The far side hangs up: the slave sees what a pulled adapter looks like.
    void close_master() {
        if (master_ >= 0) {
            ::close(master_);
            master_ = -1;
        }
    }

    void send(const std::vector<std::uint8_t>& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                ADD_FAILURE() << "far side cannot write: " << errno;
                return;
            } else {
                pollfd p{master_, POLLOUT, 0};
                poll(&p, 1, 100);
            }
        }
    }

    // Whatever has arrived, without waiting.
    std::vector<std::uint8_t> take_available() {
        std::vector<std::uint8_t> out;
        std::uint8_t buffer[4096];
        for (;;) {
            const ssize_t n = read(master_, buffer, sizeof buffer);
            if (n <= 0) {
                return out;
            }
            out.insert(out.end(), buffer, buffer + n);
        }
    }

    // Exactly n bytes, or fewer when they stop coming for `quiet_ms`.
    std::vector<std::uint8_t> receive(std::size_t n, int quiet_ms = 2000) {
        std::vector<std::uint8_t> out;
        while (out.size() < n) {
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, quiet_ms) <= 0) {
                break;
            }
            std::uint8_t buffer[4096];
            const std::size_t want =
                n - out.size() < sizeof buffer ? n - out.size() : sizeof buffer;
            const ssize_t got = read(master_, buffer, want);
            if (got <= 0) {
                break;
            }
            out.insert(out.end(), buffer, buffer + got);
        }
        return out;
    }

private:
    int master_ = -1;
    std::string path_;
};

} // namespace kelmora::testing
