// The program itself, headless, as the host application meets it: a process
// with its own start directory, a simulated terminal on a pty, request files
// in, output and status files out, a clean stop on SIGTERM.
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Path.h"
#include "platform/TextLines.h"
#include "sim/Simulator.h"
#include "support/ChildProcess.h"
#include "support/LogMessages.h"
#include "support/TempDir.h"
#include "support/TestIni.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace kelmora;
using namespace kelmora::testing;

namespace {

class Headless : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir.path() / "data");
        sim::SimOptions options;
        sim::StationSetup station;
        station.terminal.address = 1;
        options.terminals.push_back(station);
        options.timing.baud = 115200; // quick, but with the turnaround a real terminal keeps
        simulator = std::make_unique<sim::Simulator>(options);
        const auto started = simulator->start();
        ASSERT_TRUE(started.ok()) << started.error;
        ASSERT_TRUE(WriteIni(dir.file("kelmora.ini"), Data(), {{0, 1, 0}}, {{0, started.path}}));
    }

    std::string Data() const { return join_path(dir.str(), "data"); }
    std::string DataFile(const char* name) const { return join_path(Data(), name); }

    std::unique_ptr<ChildProcess> Start(const char* errorFile = "stderr.txt") {
        return std::make_unique<ChildProcess>(
            KELMORA_PROGRAM,
            std::vector<std::string>{"--headless", "--config", dir.file("kelmora.ini")}, dir.str(),
            std::vector<std::string>{"XDG_RUNTIME_DIR=" + dir.str()}, dir.file(errorFile));
    }

    std::vector<std::string> Log() const {
        return LogMessages(read_file(dir.file("errorlog.txt")).value_or(""));
    }
    bool Logged(const std::string& message) const {
        const auto log = Log();
        return std::find(log.begin(), log.end(), message) != log.end();
    }

    template <typename Done>
    static bool WaitFor(Done done) {
        return WaitUntil(
            done, 20000, [] {}, 20);
    }

    TempDir dir;
    std::unique_ptr<sim::Simulator> simulator;
};

} // namespace

TEST_F(Headless, RunsARequestFileAndStopsCleanlyOnSigterm) {
    auto kelmora = Start();
    ASSERT_TRUE(kelmora->Started());
    ASSERT_TRUE(WaitFor([&] { return Logged("TERM 1 SLAVE"); }));
    ASSERT_TRUE(write_file(DataFile("request.cfg"), "TERM1\r\nS\r\n"));
    ASSERT_TRUE(WaitFor([&] { return read_file(DataFile("rexcom.sta")) == "1,1\r\n"; }));
    const auto output = read_file(DataFile("output.txt"));
    ASSERT_TRUE(output);
    EXPECT_EQ(output->substr(0, 1), "S");
    EXPECT_NE(output->find("TOBRIN SIM 1\r\n"), std::string::npos);
    kelmora->Signal(SIGTERM);
    EXPECT_EQ(kelmora->Wait(10000), 0);
    EXPECT_EQ(Log(), (std::vector<std::string>{"Start programu",
                                               "COM1 otev\xF8"
                                               "en",
                                               "TERM 1 SLAVE", "1,0", "1,1", "Stop programu"}));
}

TEST_F(Headless, ASecondCopyExitsWithMinusOneAndTheFirstGoesOn) {
    auto first = Start();
    ASSERT_TRUE(WaitFor([&] { return Logged("TERM 1 SLAVE"); }));
    auto second = Start("second.txt");
    EXPECT_EQ(second->Wait(10000), 255); // -1
    const auto said = read_file(dir.file("second.txt"));
    ASSERT_TRUE(said);
    EXPECT_NE(said->find("Tento program je ji\xC5\xBE spu\xC5\xA1t\xC4\x9Bn!!!"),
              std::string::npos);
    EXPECT_FALSE(first->Wait(0).has_value());
    ASSERT_TRUE(write_file(DataFile("request.cfg"), "TERM1\r\nN\r\n"));
    EXPECT_TRUE(WaitFor([&] {
        return read_file(DataFile("rexcom.sta")) == "1,0\r\n" &&
               !file_exists(DataFile("request.cfg"));
    }));
    first->Signal(SIGTERM);
    EXPECT_EQ(first->Wait(10000), 0);
}

TEST_F(Headless, AStopDuringAJobLetsTheJobFinishFirst) {
    auto kelmora = Start();
    ASSERT_TRUE(WaitFor([&] { return Logged("TERM 1 SLAVE"); }));
    // C is followed by three seconds of pause: the stop comes in the middle.
    ASSERT_TRUE(write_file(DataFile("request.cfg"), "TERM1\r\nC\r\nS\r\n"));
    ASSERT_TRUE(WaitFor([&] { return !file_exists(DataFile("request.cfg")); }));
    sleep_ms(500);
    kelmora->Signal(SIGTERM);
    EXPECT_EQ(kelmora->Wait(20000), 0);
    EXPECT_EQ(read_file(DataFile("rexcom.sta")), "2,1\r\n");
    const auto log = Log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "2,1");
    EXPECT_EQ(log.back(), "Stop programu");
}
