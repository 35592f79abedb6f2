// Start-up done and the watchdog, told to systemd's notify socket; the
// watchdog's interval.
#include "platform/ServiceNotify.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include <cstddef>
#include <cstdlib>
#include <optional>
#include <string>

using namespace kelmora;
using kelmora::testing::TempDir;

#ifndef _WIN32
// What systemd's notify socket receives: the datagram, at a path or at a
// name in the abstract namespace ('@'); nothing without the variable.
TEST(ServiceNotify, TheStateArrivesAsOneDatagram) {
    TempDir dir;
    const std::string path = dir.file("notify");
    const std::string abstract = "@kelmora-test-" + std::to_string(getpid());
    for (const std::string& name : {path, abstract}) {
        const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        ASSERT_GE(fd, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        name.copy(address.sun_path, name.size());
        if (name[0] == '@') {
            address.sun_path[0] = '\0';
        }
        ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address),
                       static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + name.size())),
                  0)
            << name;
        setenv("NOTIFY_SOCKET", name.c_str(), 1);
        EXPECT_TRUE(notify_service("READY=1\nSTATUS=Start programu")) << name;
        char buffer[64] = {};
        const ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        EXPECT_EQ(std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0),
                  "READY=1\nSTATUS=Start programu")
            << name;
        close(fd);
    }
    setenv("NOTIFY_SOCKET", "relative/name", 1);
    EXPECT_FALSE(notify_service("WATCHDOG=1"));
    setenv("NOTIFY_SOCKET", path.c_str(), 1); // nobody listens there any more
    unlink(path.c_str());
    EXPECT_FALSE(notify_service("WATCHDOG=1"));
    unsetenv("NOTIFY_SOCKET");
    EXPECT_FALSE(notify_service("WATCHDOG=1"));
}
#endif

#ifndef _WIN32
// The watchdog interval systemd gives, for this process only.
TEST(ServiceNotify, TheWatchdogIntervalIsTheOneGivenToThisProcess) {
    const std::string self = std::to_string(getpid());
    struct Case {
        const char* usec;
        std::string pid; // empty: unset
        std::optional<std::uint32_t> ms;
    };
    const Case cases[] = {
        {"30000000", "", 30000},   {"5000000", self, 5000}, {"5000000", "1", std::nullopt},
        {"1500", "", 1},           {"0", "", std::nullopt}, {"-5", "", std::nullopt},
        {"12x", "", std::nullopt}, {"", "", std::nullopt},
    };
    for (const Case& c : cases) {
        setenv("WATCHDOG_USEC", c.usec, 1);
        if (c.pid.empty()) {
            unsetenv("WATCHDOG_PID");
        } else {
            setenv("WATCHDOG_PID", c.pid.c_str(), 1);
        }
        EXPECT_EQ(service_watchdog_interval_ms(), c.ms) << c.usec << " " << c.pid;
    }
    unsetenv("WATCHDOG_USEC");
    unsetenv("WATCHDOG_PID");
    EXPECT_EQ(service_watchdog_interval_ms(), std::nullopt);
}
#endif
