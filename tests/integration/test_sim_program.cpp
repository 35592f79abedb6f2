// tobrin-sim as a program: the path to open, a clean stop on a signal, and a
// clear message with a non-zero exit for what it cannot do.
#include "platform/Files.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

using namespace kelmora;
using namespace kelmora::testing;
using namespace std::chrono_literals;

namespace {

ChildProcess run(const TempDir& dir, std::vector<std::string> args) {
    return ChildProcess(TOBRIN_SIM, std::move(args), dir.str(), {}, dir.file("stderr.txt"));
}

std::string errors(const TempDir& dir) {
    return read_file(dir.file("stderr.txt")).value_or("");
}

// Waits for `done`; the bound only stops a hang.
template <typename Done>
bool wait_for(Done done) {
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

} // namespace

TEST(SimProgram, ServesTheLineAndStopsCleanlyOnSigterm) {
    TempDir dir;
    const std::string link = dir.file("port");
    ChildProcess sim = run(dir, {"--fast", "--terminal", "5:slave", "--link", link});
    ASSERT_TRUE(sim.Started());
    ASSERT_TRUE(wait_for([&] { return std::filesystem::is_symlink(link); })) << errors(dir);

    const int fd = open(link.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    const char probe[] = {0x05, 0x04, 0x41, 0x4A};
    ASSERT_EQ(write(fd, probe, sizeof probe), 4);
    pollfd p{fd, POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 10000), 1);
    char answer = 0;
    EXPECT_EQ(read(fd, &answer, 1), 1);
    EXPECT_EQ(answer, 0x06);
    close(fd);

    sim.Signal(SIGTERM);
    EXPECT_EQ(sim.Wait(10000), 0) << errors(dir);
    EXPECT_FALSE(std::filesystem::is_symlink(link));
}

TEST(SimProgram, SigintStopsItToo) {
    TempDir dir;
    const std::string link = dir.file("port");
    ChildProcess sim = run(dir, {"--terminal", "1:master", "--link", link});
    ASSERT_TRUE(wait_for([&] { return std::filesystem::is_symlink(link); })) << errors(dir);
    sim.Signal(SIGINT);
    EXPECT_EQ(sim.Wait(10000), 0) << errors(dir);
}

TEST(SimProgram, BadOptionsAndDevicesEndWithAMessage) {
    const struct {
        std::vector<std::string> args;
        int exit;
        const char* message;
    } cases[] = {
        {{"--baud", "1234"}, 2, "tobrin-sim: --baud wants one of"},
        {{"--what"}, 2, "unknown option '--what'"},
        {{"--device", "/nonexistent/ttyS9"}, 1, "cannot open /nonexistent/ttyS9"},
        {{"--help"}, 0, ""},
    };
    for (const auto& c : cases) {
        TempDir dir;
        ChildProcess sim = run(dir, c.args);
        EXPECT_EQ(sim.Wait(10000), c.exit) << c.args[0];
        EXPECT_NE(errors(dir).find(c.message), std::string::npos) << errors(dir);
    }
}
