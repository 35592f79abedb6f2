// The service manager's end of the notify protocol, for tests of the program
// as a service: a datagram socket at a path, and every state received.
#pragma once

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kelmora::testing {

class NotifySocket {
public:
    explicit NotifySocket(std::string path) : path_(std::move(path)) {
        fd_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (fd_ < 0 || path_.size() >= sizeof address.sun_path) {
            ADD_FAILURE() << "no notify socket at " << path_;
            return;
        }
        path_.copy(address.sun_path, path_.size());
        if (bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            ADD_FAILURE() << "cannot bind the notify socket at " << path_;
        }
    }
    ~NotifySocket() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    NotifySocket(const NotifySocket&) = delete;
    NotifySocket& operator=(const NotifySocket&) = delete;

    // "NOTIFY_SOCKET=..." for the program's environment.
    std::string Variable() const { return "NOTIFY_SOCKET=" + path_; }

    // Every state received so far, in order.
    const std::vector<std::string>& States() {
        char buffer[1024];
        for (ssize_t n; (n = recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT)) > 0;) {
            states_.emplace_back(buffer, static_cast<std::size_t>(n));
        }
        return states_;
    }

    bool Received(const std::string& state) {
        const auto& all = States();
        return std::find(all.begin(), all.end(), state) != all.end();
    }

    // Whether a state holding `part` has been received.
    bool ReceivedWith(const std::string& part) {
        const auto& all = States();
        return std::any_of(all.begin(), all.end(), [&](const std::string& state) {
            return state.find(part) != std::string::npos;
        });
    }

private:
    std::string path_;
    int fd_ = -1;
    std::vector<std::string> states_;
};

} // namespace kelmora::testing
