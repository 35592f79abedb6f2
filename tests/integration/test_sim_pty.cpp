// The simulator over a real pseudo-terminal with pacing on: what a program
// that opens the port sees, in order and byte for byte.
#include "sim/Simulator.h"
#include "support/TempDir.h"
#include "support/WireFrame.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

using namespace kelmora;
using namespace kelmora::sim;
using namespace std::chrono_literals;

using kelmora::testing::frame;

namespace {

const std::string kPoll = "\x10\x04\x55\x69";
// Bounds that only stop a hang; nothing here measures speed.
constexpr auto kLimit = 5s;

// The port as Kelmora holds it: the pty's slave side in raw mode.
class Port {
public:
    explicit Port(const std::string& path) {
        fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd_ >= 0) {
            termios t{};
            tcgetattr(fd_, &t);
            cfmakeraw(&t);
            tcsetattr(fd_, TCSANOW, &t);
        }
    }
    ~Port() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    bool ok() const { return fd_ >= 0; }

    void send(const std::string& bytes) {
        ASSERT_EQ(write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    void flush_input() { tcflush(fd_, TCIFLUSH); }

    // Up to `n` bytes, or fewer when `limit` passes first.
    std::string read(std::size_t n, std::chrono::milliseconds limit = kLimit) {
        std::string out;
        const auto end = std::chrono::steady_clock::now() + limit;
        while (out.size() < n) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                break;
            }
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left.count())) <= 0) {
                continue;
            }
            char buffer[512];
            const ssize_t got = ::read(fd_, buffer, std::min(sizeof buffer, n - out.size()));
            if (got > 0) {
                out.append(buffer, static_cast<std::size_t>(got));
            }
        }
        return out;
    }

    // Reads until the poll frame has gone by (the moment a MASTER listens).
    bool wait_for_poll() {
        std::string window;
        const auto end = std::chrono::steady_clock::now() + kLimit;
        while (std::chrono::steady_clock::now() < end) {
            const std::string b = read(1, 100ms);
            if (b.empty()) {
                continue;
            }
            window = (window + b).substr(window.size() + 1 > 4 ? window.size() + 1 - 4 : 0);
            if (window == kPoll) {
                return true;
            }
        }
        return false;
    }

    // Skips what a polling MASTER puts on the line until the acknowledgement.
    std::string read_answer_byte() {
        const auto end = std::chrono::steady_clock::now() + kLimit;
        while (std::chrono::steady_clock::now() < end) {
            const std::string b = read(1, 100ms);
            if (b == "\x06" || b == "\x15") {
                return b;
            }
        }
        return {};
    }

private:
    int fd_ = -1;
};

std::vector<PersonRecord> persons(int count) {
    std::vector<PersonRecord> out;
    for (int n = 1; n <= count; ++n) {
        PersonRecord r;
        r.letter = n % 2 == 0 ? 'R' : 'Z';
        r.number = static_cast<std::uint16_t>(100 + n);
        r.meals.fill(static_cast<std::uint8_t>(n));
        out.push_back(r);
    }
    return out;
}

SimOptions slave_and_master(const std::string& trace = {}) {
    SimOptions options;
    StationSetup slave;
    slave.terminal.address = 1;
    slave.terminal.records = persons(3);
    StationSetup master;
    master.terminal.address = 2;
    master.terminal.role = Role::Master;
    master.terminal.ident = "KUCHYNE";
    options.terminals = {slave, master};
    options.timing.poll_period_ms = 100;
    options.trace_path = trace;
    return options;
}

std::vector<std::string> trace_lines_for(const std::string& path, const std::string& address) {
    std::vector<std::string> out;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        // "  time DIR AA kind ..." -> "DIR kind"
        if (line.size() > 20 && line.substr(14, 2) == address) {
            const auto kind_end = line.find(' ', 17);
            out.push_back(line.substr(11, 2) + " " + line.substr(17, kind_end - 17));
        }
    }
    return out;
}

} // namespace

TEST(SimPty, RoundTripWithPacingInOrderAndByteForByte) {
    kelmora::testing::TempDir dir;
    const std::string trace = dir.file("line.trace");
    Simulator sim(slave_and_master(trace));
    const StartResult started = sim.start();
    ASSERT_TRUE(started.ok()) << started.error;
    Port port(started.path);
    ASSERT_TRUE(port.ok());

    // The SLAVE: a record stored, then the whole memory back in order.
    const std::string record =
        std::string("R\x00\x63", 3) + "DEADBEEF" + "0" + std::string(14, '\x2A') + "SVOBODA JAN   ";
    port.flush_input();
    port.send(frame(1, record));
    ASSERT_EQ(port.read_answer_byte(), "\x06");
    port.send(frame(1, "P"));
    ASSERT_EQ(port.read_answer_byte(), "\x06");
    const std::string block = port.read(4 * kRecordSize);
    ASSERT_EQ(block.size(), 4 * kRecordSize);
    for (int i = 0; i < 3; ++i) {
        const std::string r = block.substr(i * kRecordSize, kRecordSize);
        EXPECT_EQ(r[0], i % 2 == 0 ? 'Z' : 'R') << i;
        EXPECT_EQ(r.substr(1, 2), std::string("\x00", 1) + static_cast<char>(101 + i)) << i;
        EXPECT_EQ(r.substr(8, 14), std::string(14, static_cast<char>(i + 1))) << i;
    }
    EXPECT_EQ(block.substr(3 * kRecordSize), std::string("R\x00\x63\xDE\xAD\xBE\xEF"
                                                         "0",
                                                         8) +
                                                 std::string(14, '\x2A') + std::string(2, '\0'));

    // The MASTER: a frame right after its poll, answered, and the answer
    // block ended by its next poll frame.
    port.flush_input();
    ASSERT_TRUE(port.wait_for_poll());
    port.send(frame(2, "S"));
    const std::string answer = port.read(1 + 27 + 4);
    ASSERT_EQ(answer.size(), 1u + 27 + 4);
    EXPECT_EQ(answer[0], '\x06');
    EXPECT_EQ(answer[1], 'S');
    EXPECT_EQ(answer.substr(10, 16), std::string("KUCHYNE") + std::string(9, '\0'));
    EXPECT_EQ(answer.substr(28), kPoll);

    sim.stop();
    const TerminalState slave = *sim.state(1);
    EXPECT_EQ(slave.records.size(), 4u);
    EXPECT_EQ(slave.counters.acks_sent, 2u);
    EXPECT_EQ(slave.counters.blocks_sent, 1u);
    EXPECT_EQ(sim.state(2)->counters.frames_foreign, 2u);

    const std::vector<std::string> expected = {"RX frame", "TX ack", "RX frame", "TX ack",
                                               "TX block"};
    EXPECT_EQ(trace_lines_for(trace, "01"), expected);
}

TEST(SimPty, ALineClosedAndOpenedAgainIsServedAgain) {
    Simulator sim(slave_and_master());
    const StartResult started = sim.start();
    ASSERT_TRUE(started.ok()) << started.error;
    {
        Port first(started.path);
        ASSERT_TRUE(first.ok());
        first.send(frame(1, "A"));
        ASSERT_EQ(first.read_answer_byte(), "\x06");
    }
    // Meanwhile the MASTER polls into a line nobody holds.
    std::this_thread::sleep_for(300ms);
    Port again(started.path);
    ASSERT_TRUE(again.ok());
    again.flush_input();
    again.send(frame(1, "A"));
    EXPECT_EQ(again.read_answer_byte(), "\x06");
    EXPECT_TRUE(again.wait_for_poll());
    EXPECT_TRUE(sim.running());
    EXPECT_EQ(sim.failure(), "");
}

TEST(SimPty, FaultsSwitchedOnWhileRunning) {
    SimOptions options;
    options.terminals.resize(1);
    options.terminals[0].terminal.address = 7;
    options.timing.fast = true;
    Simulator sim(options);
    const StartResult started = sim.start();
    ASSERT_TRUE(started.ok()) << started.error;
    Port port(started.path);
    ASSERT_TRUE(port.ok());

    Faults faults;
    faults.no_ack = FaultSpec::next(2);
    ASSERT_TRUE(sim.set_faults(7, faults));
    EXPECT_FALSE(sim.set_faults(8, faults));
    for (int i = 0; i < 3; ++i) {
        port.send(frame(7, "A"));
        port.read(1, 300ms);
    }
    const TerminalState state = *sim.state(7);
    EXPECT_EQ(state.counters.frames_received, 3u);
    EXPECT_EQ(state.counters.acks_sent, 1u);
    EXPECT_EQ(state.faults.no_ack.count, 0);
}

TEST(SimPty, StartFailuresSayWhy) {
    kelmora::testing::TempDir dir;
    SimOptions options;
    options.terminals.resize(1);

    SimOptions device = options;
    device.device = dir.file("no-such-device");
    StartResult r = Simulator(device).start();
    EXPECT_NE(r.error.find("no-such-device"), std::string::npos) << r.error;

    SimOptions blocked = options;
    blocked.link = dir.file("port");
    std::ofstream(blocked.link) << "a file, not a link";
    r = Simulator(blocked).start();
    EXPECT_NE(r.error.find("not a symbolic link"), std::string::npos) << r.error;

    r = Simulator(SimOptions{}).start();
    EXPECT_NE(r.error.find("no terminal"), std::string::npos) << r.error;

    SimOptions twice = options;
    twice.terminals.resize(2);
    r = Simulator(twice).start();
    EXPECT_NE(r.error.find("given twice"), std::string::npos) << r.error;

    SimOptions trace = options;
    trace.trace_path = dir.file("missing/dir/trace.txt");
    r = Simulator(trace).start();
    EXPECT_NE(r.error.find("trace"), std::string::npos) << r.error;

    Simulator sim(options);
    ASSERT_TRUE(sim.start().ok());
    EXPECT_FALSE(sim.start().ok());
    EXPECT_FALSE(sim.state(9).has_value());
}

TEST(SimPty, LinkPointsAtTheLineAndGoesAwayAtStop) {
    kelmora::testing::TempDir dir;
    SimOptions options;
    options.terminals.resize(1);
    options.link = dir.file("ttyTOBRIN");
    // An old link from an earlier run is replaced.
    std::filesystem::create_symlink("/dev/null", options.link);
    Simulator sim(options);
    const StartResult started = sim.start();
    ASSERT_TRUE(started.ok()) << started.error;
    EXPECT_EQ(std::filesystem::read_symlink(options.link).string(), started.path);
    Port port(options.link);
    ASSERT_TRUE(port.ok());
    port.send(frame(1, "A"));
    EXPECT_EQ(port.read_answer_byte(), "\x06");
    sim.stop();
    EXPECT_FALSE(std::filesystem::is_symlink(options.link));
}
