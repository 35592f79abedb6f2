// Debian's ser2net in front of a serial device (a pty the test or the
// simulator holds), on 127.0.0.1 only: a telnet(rfc2217) accepter and a raw
// tcp accepter, each on a free port, kept when it is stopped and started
// again. Used by the network port tests and bench_download.
#pragma once

#include "platform/Clock.h"
#include "platform/Files.h"
#include "support/ChildProcess.h"

#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace kelmora::testing {

// A port on 127.0.0.1 where nothing listens (at the moment of the call).
inline std::uint16_t FreeLocalPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    std::uint16_t port = 0;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size) == 0) {
        port = ntohs(a.sin_port);
    }
    if (fd >= 0) {
        ::close(fd);
    }
    return port;
}

// Whether something listens at 127.0.0.1:port, seen in /proc/net/tcp rather
// than by connecting: ser2net opens its device for every client, and one that
// comes while it still closes it after another is turned away.
inline bool Listening(std::uint16_t port) {
    char wanted[32];
    std::snprintf(wanted, sizeof wanted, "0100007F:%04X", port);
    std::ifstream file("/proc/net/tcp");
    const std::string table((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    for (std::size_t at = table.find(wanted); at != std::string::npos;
         at = table.find(wanted, at + 1)) {
        // local address, remote address, then the state: 0A is LISTEN.
        const std::size_t state = table.find(' ', table.find(' ', at) + 1);
        if (state != std::string::npos && table.compare(state + 1, 2, "0A") == 0) {
            return true;
        }
    }
    return false;
}

class Ser2net {
public:
    // The program, where Debian installs it (root's PATH only has /usr/sbin).
    static std::string Program() { return "/usr/sbin/ser2net"; }
    static bool Installed() { return ::access(Program().c_str(), X_OK) == 0; }

    // `directory` takes the configuration, the pid file and ser2net's output;
    // `line` is ser2net's own setting of the device (the raw port's line).
    Ser2net(std::string device, std::string directory, std::string line = "19200n81")
        : device_(std::move(device)), directory_(std::move(directory)), line_(std::move(line)),
          rfc2217Port_(FreeLocalPort()), tcpPort_(FreeLocalPort()) {}
    ~Ser2net() { Stop(); }
    Ser2net(const Ser2net&) = delete;
    Ser2net& operator=(const Ser2net&) = delete;

    // Starts it and waits until both ports accept; false when they never do.
    bool Start() {
        const std::string config = directory_ + "/ser2net.yaml";
        const std::string connector = "serialdev," + device_ + "," + line_ + ",local";
        if (!write_file(config, "connection: &rfc2217\n"
                                "    accepter: telnet(rfc2217),tcp,127.0.0.1," +
                                    std::to_string(rfc2217Port_) +
                                    "\n"
                                    "    connector: " +
                                    connector +
                                    "\n"
                                    "connection: &raw\n"
                                    "    accepter: tcp,127.0.0.1," +
                                    std::to_string(tcpPort_) +
                                    "\n"
                                    "    connector: " +
                                    connector + "\n")) {
            return false;
        }
        process_ = std::make_unique<ChildProcess>(
            Program(),
            std::vector<std::string>{"-n", "-u", "-c", config, "-P", directory_ + "/ser2net.pid"},
            directory_, std::vector<std::string>{}, directory_ + "/ser2net.txt");
        const std::uint32_t start = tick_ms();
        while (!Listening(rfc2217Port_) || !Listening(tcpPort_)) {
            if (elapsed_ms(start) > 10000 || !process_->Started()) {
                return false;
            }
            sleep_ms(10);
        }
        return true;
    }

    // Ends it as an administrator does (SIGTERM): every connection closes.
    void Stop() {
        if (process_) {
            process_->Signal(SIGTERM);
            process_->Wait(5000);
            process_.reset();
        }
    }

    std::string Rfc2217Url() const { return "rfc2217://127.0.0.1:" + std::to_string(rfc2217Port_); }
    std::string TcpUrl() const { return "tcp://127.0.0.1:" + std::to_string(tcpPort_); }

private:
    std::string device_;
    std::string directory_;
    std::string line_;
    std::uint16_t rfc2217Port_;
    std::uint16_t tcpPort_;
    std::unique_ptr<ChildProcess> process_;
};

} // namespace kelmora::testing
