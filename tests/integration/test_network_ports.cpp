// Network ports against something real that nobody here wrote: Debian's
// ser2net in front of a pty, with a telnet(rfc2217) accepter and a raw tcp
// accepter, on 127.0.0.1 only. The driver over each (every byte value, the
// line settings reaching the device, the reasons a port does not open), and
// the program itself: a whole job with the same files as over the local
// line (and the same frames in the line trace), and ser2net stopped in the
// middle of a download and started again.
#include "platform/Clock.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "platform/Path.h"
#include "serial/NetworkDriver.h"
#include "serial/OpenFailure.h"
#include "serial/PortDevices.h"
#include "serial/PortDriver.h"
#include "sim/SeedRecords.h"
#include "sim/Simulator.h"
#include "support/ChildProcess.h"
#include "support/LogMessages.h"
#include "support/PtyPair.h"
#include "support/Ser2net.h"
#include "support/TempDir.h"
#include "support/TestIni.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <numeric>
#include <sstream>

using namespace kelmora;
using namespace kelmora::testing;
using namespace kelmora::literals;

namespace {

constexpr std::int32_t kCom = 5;

class NetworkPorts : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Ser2net::Installed())
            << Ser2net::Program() << " is missing: make deps installs Debian's ser2net";
    }
    void TearDown() override {
        close_all_ports();
        clear_port_devices();
    }

    // Everything the pty's far side has received within the wait.
    static std::vector<std::uint8_t> ReadFromDevice(const PtyPair& pty, std::size_t n) {
        std::vector<std::uint8_t> got;
        WaitUntil(
            [&] {
                std::uint8_t buffer[512];
                const ssize_t r = ::read(pty.master(), buffer, sizeof buffer);
                if (r > 0) {
                    got.insert(got.end(), buffer, buffer + r);
                }
                return got.size() >= n;
            },
            10000);
        return got;
    }

    TempDir dir;
};

} // namespace

TEST_F(NetworkPorts, EveryByteValuePassesBothWaysAndRfc2217SetsTheDevicesLine) {
    PtyPair pty;
    Ser2net server(pty.path(), dir.str(), "19200n81");
    ASSERT_TRUE(server.Start()) << read_file(dir.file("ser2net.txt")).value_or("");
    std::vector<std::uint8_t> all(256);
    std::iota(all.begin(), all.end(), 0);
    std::vector<std::uint8_t> reversed(all.rbegin(), all.rend());
    for (const bool rfc2217 : {true, false}) {
        const std::string url = rfc2217 ? server.Rfc2217Url() : server.TcpUrl();
        ASSERT_TRUE(set_port_device(kCom, url));
        // Mark parity at 9600: what the telnet port asks of the device; the
        // raw port leaves the device as ser2net set it (19200, no parity).
        PortRecord* port = open_port(kCom, 9600, 'M', 8, 1);
        ASSERT_NE(port, nullptr);
        ASSERT_EQ(port->status, SP_OK)
            << url << ": " << DescribeOpenFailure(kCom, port->status, port->open_error);
        EXPECT_EQ(port->set_rts(port, false), SP_OK) << "direction is the device server's";

        ASSERT_EQ(write_block_timed(port, all.data(), 256, 1000), SP_OK) << url;
        EXPECT_EQ(ReadFromDevice(pty, 256), all) << url;
        pty.send(reversed);
        std::vector<std::uint8_t> got;
        for (int b = 0; got.size() < 256 && (b = read_byte_timed(port, 2000)) >= 0;) {
            got.push_back(static_cast<std::uint8_t>(b));
        }
        EXPECT_EQ(got, reversed) << url;
        // The device is certainly open by now.
        termios t{};
        ASSERT_EQ(tcgetattr(pty.master(), &t), 0);
        EXPECT_EQ(cfgetospeed(&t), rfc2217 ? B9600 : B19200) << url;
        // A pty drops PARENB whatever it is given; the rest of mark parity stays.
        const tcflag_t mark = PARODD | CMSPAR;
        EXPECT_EQ(t.c_cflag & mark, rfc2217 ? mark : 0) << url;
        EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8)) << url;
        EXPECT_EQ(t.c_cflag & CSTOPB, 0u) << url;
        EXPECT_EQ(port->status, SP_OK);
        port->close(port);
        // ser2net closes the device when its client goes, and turns away a
        // client that comes before it has.
        sleep_ms(100);
    }
}

TEST_F(NetworkPorts, APortThatDoesNotOpenSaysWhy) {
    PtyPair pty;
    Ser2net server(pty.path(), dir.str());
    ASSERT_TRUE(server.Start());
    const std::string nobody = "127.0.0.1:" + std::to_string(FreeLocalPort());
    struct Case {
        std::string device;
        int code;
        std::string said;
    };
    const Case cases[] = {
        {"tcp://" + nobody, SP_ERR_NO_HARDWARE,
         "tcp://" + nobody + std::string(": spojení odmítnuto (na portu nikdo nenaslouchá)"_cp)},
        {"rfc2217://" + nobody, SP_ERR_NO_HARDWARE,
         "rfc2217://" + nobody +
             std::string(": spojení odmítnuto (na portu nikdo nenaslouchá)"_cp)},
        {"rfc2217://127.0.0.1", SP_ERR_BAD_PORT,
         std::string("rfc2217://127.0.0.1: neplatná adresa (má být rfc2217://počítač:port nebo "
                     "tcp://počítač:port)"_cp)},
        // Telnet against a raw port: nobody answers the line settings. The
        // open gives up after its limit.
        {"rfc2217" + server.TcpUrl().substr(3), SP_ERR_NOT_SUPPORTED,
         "rfc2217" + server.TcpUrl().substr(3) +
             std::string(": server nepotvrdil nastavení linky do 2 s"_cp)},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(set_port_device(kCom, c.device));
        PortRecord* port = open_port(kCom, 19200, 'N', 8, 1);
        ASSERT_NE(port, nullptr);
        EXPECT_EQ(port->status, c.code) << c.device;
        EXPECT_EQ(DescribeOpenFailure(kCom, port->status, port->open_error), c.said);
        port->close(port);
    }
}

TEST_F(NetworkPorts, AConnectionThatEndsIsADeviceThatHungUp) {
    PtyPair pty;
    Ser2net server(pty.path(), dir.str());
    ASSERT_TRUE(server.Start());
    // By name this time: looked up on a thread of its own; "localhost" may
    // come as ::1 first, where nothing listens, and then as 127.0.0.1.
    std::string url = server.Rfc2217Url();
    url.replace(url.find("127.0.0.1"), 9, "localhost");
    ASSERT_TRUE(set_port_device(kCom, url));
    PortRecord* port = open_port(kCom, 19200, 'N', 8, 1);
    ASSERT_EQ(port->status, SP_OK) << DescribeOpenFailure(kCom, port->status, port->open_error);
    server.Stop();
    EXPECT_EQ(read_byte_timed(port, 5000), SP_ERR_NO_HARDWARE);
    EXPECT_EQ(port->status, SP_ERR_NO_HARDWARE);
    EXPECT_EQ(DescribeOpenFailure(kCom, port->status, port->open_error),
              url + std::string(": server ukončil spojení"_cp));
    const std::uint8_t byte = 0x06;
    EXPECT_EQ(write_block_timed(port, &byte, 1, 100), SP_ERR_NO_HARDWARE) << "and stays so";
    port->close(port);
}

namespace {

// The program itself, headless, against the simulator on a pty: directly or
// through ser2net.
class NetworkJobs : public NetworkPorts {
protected:
    // A terminal at address 1, SLAVE, holding `records` seeded records, paced
    // at 19200 baud.
    void StartTerminal(std::size_t records) {
        sim::SimOptions options;
        sim::StationSetup station;
        station.terminal.address = 1;
        station.terminal.records = sim::random_records(records, 7, {}, {});
        options.terminals.push_back(station);
        options.timing.baud = 19200;
        simulator = std::make_unique<sim::Simulator>(options);
        const auto started = simulator->start();
        ASSERT_TRUE(started.ok()) << started.error;
        line = started.path;
    }

    std::string Run(const std::string& name) const { return dir.file(name); }

    // Kelmora in its own directory `run` with COM1 on `device`.
    std::unique_ptr<ChildProcess> StartKelmora(const std::string& run, const std::string& device) {
        std::filesystem::create_directories(run);
        // Three attempts and 400 ms of silence to end a block, over every
        // port alike: a loaded test machine can hold the simulator or ser2net
        // up for longer than the defaults allow a terminal.
        EXPECT_TRUE(WriteIni(join_path(run, "kelmora.ini"), run, {{0, 1, 0}}, {{0, device}}, 3,
                             (400 - 40) / 4));
        return std::make_unique<ChildProcess>(
            KELMORA_PROGRAM,
            std::vector<std::string>{"--headless", "--config", join_path(run, "kelmora.ini"),
                                     "--trace", join_path(run, "trace.txt")},
            run, std::vector<std::string>{"XDG_RUNTIME_DIR=" + run}, join_path(run, "stderr.txt"));
    }

    static std::vector<std::string> Log(const std::string& run) {
        return LogMessages(read_file(join_path(run, "errorlog.txt")).value_or(""));
    }
    static long Count(const std::string& run, std::string_view message) {
        const auto log = Log(run);
        return std::count(log.begin(), log.end(), message);
    }
    template <typename Done>
    static bool WaitFor(Done done) {
        return WaitUntil(
            done, 30000, [] {}, 20);
    }

    // The request taken and its job's final pair written ("1,0" comes first,
    // after the TERM line).
    static bool JobDone(const std::string& run) {
        return !std::filesystem::exists(join_path(run, "request.cfg")) &&
               !std::filesystem::exists(join_path(run, "request.cfg.job")) &&
               std::filesystem::exists(join_path(run, "rexcom.sta"));
    }

    // Drops the request and waits for its status pair.
    static std::string Request(const std::string& run, const std::string& lines) {
        const std::string status = join_path(run, "rexcom.sta");
        remove_file(status);
        EXPECT_TRUE(write_file(join_path(run, "request.part"), lines));
        std::filesystem::rename(join_path(run, "request.part"), join_path(run, "request.cfg"));
        EXPECT_TRUE(WaitFor([&] { return JobDone(run); })) << run;
        return read_file(status).value_or("");
    }

    std::unique_ptr<sim::Simulator> simulator;
    std::string line;
};

// The frames sent and the blocks received as the line trace tells them,
// without their times: the same whatever the port is.
std::vector<std::string> Traffic(const std::string& run) {
    std::vector<std::string> lines;
    std::istringstream trace(read_file(join_path(run, "trace.txt")).value_or(""));
    for (std::string line; std::getline(trace, line);) {
        if (line.find(" TX ") != std::string::npos || line.find(" block ") != std::string::npos) {
            lines.push_back(line.substr(std::min(line.find(" COM"), line.size())));
        }
    }
    return lines;
}

// Three persons (one name in Windows-1250 letters), the clock set, then the
// whole memory and the changes since the last Y.
std::string Person(int number, const char* card, const char* name, const char* credit) {
    char line[128];
    std::snprintf(line, sizeof line, "Q%04d%s0%s%-14s %s", number, card,
                  "11111111111111AAAAAAAAAAAAAA22222222222222", name, credit);
    return line;
}

const std::string kJob = "TERM 1\r\n" + Person(1, "12345678", "NOVAK JAN", "+00500") + "\r\n" +
                         Person(2, "12345679",
                                "\x8ETP\xC1NEK \xC8"
                                "EN\xECK",
                                "-00020") +
                         "\r\n" + Person(3, "CAFE0001", "DVORAK KAREL", "+31000") + "\r\n" +
                         "T26121105093000\r\nP\r\nY\r\n";

} // namespace

TEST_F(NetworkJobs, AWholeJobGivesTheSameFilesOverEachPortKind) {
    const char* files[] = {"output.txt", "rexcom.sta", "binarni.bin"};
    std::string first;
    for (const char* kind : {"local", "rfc2217", "tcp"}) {
        StartTerminal(200);
        std::unique_ptr<Ser2net> server;
        std::string device = line;
        if (std::string(kind) != "local") {
            std::filesystem::create_directories(Run(std::string("ser2net-") + kind));
            server = std::make_unique<Ser2net>(line, Run(std::string("ser2net-") + kind));
            ASSERT_TRUE(server->Start());
            device = std::string(kind) == "tcp" ? server->TcpUrl() : server->Rfc2217Url();
        }
        const std::string run = Run(kind);
        auto kelmora = StartKelmora(run, device);
        ASSERT_TRUE(WaitFor([&] { return Count(run, "TERM 1 SLAVE") == 1; })) << kind;
        // Six commands acknowledged; Y gives all 203 records (none were taken by a Y before).
        EXPECT_EQ(Request(run, kJob), "6,203\r\n") << kind;
        kelmora->Signal(SIGTERM);
        EXPECT_EQ(kelmora->Wait(10000), 0);
        const std::optional<sim::TerminalState> state = simulator->state(1);
        ASSERT_TRUE(state);
        EXPECT_EQ(state->records.size(), 203u) << kind;
        if (first.empty()) {
            first = run;
            const auto traffic = Traffic(run);
            EXPECT_EQ(std::count_if(traffic.begin(), traffic.end(),
                                    [](const std::string& l) {
                                        return l.find(" RX 01 block ") != std::string::npos;
                                    }),
                      2)
                << "P and Y";
            continue;
        }
        EXPECT_EQ(Traffic(run), Traffic(first)) << kind;
        for (const char* f : files) {
            const auto expected = read_file(join_path(first, f));
            ASSERT_TRUE(expected && !expected->empty()) << f;
            EXPECT_EQ(read_file(join_path(run, f)), expected) << kind << ": " << f;
        }
    }
}

TEST_F(NetworkJobs, Ser2netStoppedInADownloadFailsTheJobAndTheRetestConnectsAgain) {
    StartTerminal(400); // about 5 s on the wire
    Ser2net server(line, dir.str());
    ASSERT_TRUE(server.Start());
    const std::string run = Run("run");
    auto kelmora = StartKelmora(run, server.Rfc2217Url());
    ASSERT_TRUE(WaitFor([&] { return Count(run, "TERM 1 SLAVE") == 1; }));
    ASSERT_TRUE(write_file(join_path(run, "request.cfg"), "TERM 1\r\nP\r\n"));
    // Stopped once a good part of the memory is on its way.
    ASSERT_TRUE(WaitFor([&] { return simulator->line_counters().bytes_sent > 2000; }));
    server.Stop();
    ASSERT_TRUE(WaitFor([&] { return JobDone(run); }));
    EXPECT_EQ(read_file(join_path(run, "rexcom.sta")), "0,0\r\n");
    // Said by the job itself, before its status pair, not only at the next
    // re-test.
    const auto log = Log(run);
    const auto failed = std::find(log.begin(), log.end(), "COM1 nepracuje (chyba -14)");
    ASSERT_GE(std::distance(failed, log.end()), 3);
    EXPECT_EQ(*(failed + 1),
              "COM1: " + server.Rfc2217Url() + std::string(": server ukončil spojení"_cp));
    EXPECT_EQ(*(failed + 2), "0,0");

    // Back again: the re-test connects, and the next job downloads it all.
    ASSERT_TRUE(server.Start());
    ASSERT_TRUE(WaitFor([&] {
        return Count(run, "COM1 otev\xF8"
                          "en") == 2;
    }));
    EXPECT_EQ(Request(run, "TERM 1\r\nP\r\n"), "1,400\r\n");
    kelmora->Signal(SIGTERM);
    EXPECT_EQ(kelmora->Wait(10000), 0);
    EXPECT_EQ(Count(run, "COM1 nepracuje (chyba -14)"), 1);
}
