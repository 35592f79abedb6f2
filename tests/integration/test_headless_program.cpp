// The program itself, headless, as the host application meets it: a process
// with its own start directory, a simulated terminal on a pty, request files
// in, output and status files out, a clean stop on SIGTERM.
#include "engine/IniFile.h"
#include "engine/JobReceipt.h"
#include "platform/Clock.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "platform/Path.h"
#include "platform/SingleInstance.h"
#include "platform/TextLines.h"
#include "sim/SeedRecords.h"
#include "sim/Simulator.h"
#include "support/ChildProcess.h"
#include "support/LogMessages.h"
#include "support/NotifySocket.h"
#include "support/ScriptedTerminal.h"
#include "support/TempDir.h"
#include "support/TestIni.h"
#include "support/WaitUntil.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <iterator>
#include <set>
#include <sstream>

using namespace kelmora;
using namespace kelmora::testing;
using namespace kelmora::literals;
using namespace std::string_literals;

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

    std::unique_ptr<ChildProcess> Start(const char* errorFile = "stderr.txt",
                                        std::vector<std::string> environment = {}) {
        environment.push_back("XDG_RUNTIME_DIR=" + dir.str());
        return std::make_unique<ChildProcess>(
            KELMORA_PROGRAM,
            std::vector<std::string>{"--headless", "--config", dir.file("kelmora.ini")}, dir.str(),
            environment, dir.file(errorFile));
    }

    // kelmora request with `arguments` after its configuration; what it
    // prints and says goes to request.out and request.err.
    std::unique_ptr<ChildProcess> Request(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"request", "--config", dir.file("kelmora.ini")});
        return std::make_unique<ChildProcess>(KELMORA_PROGRAM, arguments, dir.str(),
                                              std::vector<std::string>{}, dir.file("request.err"),
                                              dir.file("request.out"));
    }
    std::string Printed() const { return read_file(dir.file("request.out")).value_or(""); }
    std::string Said() const { return read_file(dir.file("request.err")).value_or(""); }
    // The names in the data path.
    std::set<std::string> DataFiles() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(Data())) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }
    // What a relay that ran a data command leaves in its data path, and nothing else.
    const std::set<std::string> kAfterADownload = {"binarni.bin", "kelmora.lock", "output.txt",
                                                   "rexcom.sta"};
    std::vector<std::string> Pairs() const {
        std::vector<std::string> pairs;
        for (const std::string& message : Log()) {
            if (message.find(',') != std::string::npos && message.size() <= 12) {
                pairs.push_back(message);
            }
        }
        return pairs;
    }

    std::vector<std::string> Log() const {
        return LogMessages(read_file(dir.file("errorlog.txt")).value_or(""));
    }
    bool Logged(std::string_view message) const {
        const auto log = Log();
        return std::find(log.begin(), log.end(), message) != log.end();
    }

    template <typename Done>
    static bool WaitFor(Done done) {
        return WaitUntil(
            done, 20000, [] {}, 20);
    }

    // A terminal of its own on a new line, holding `records`.
    static std::unique_ptr<sim::Simulator> Terminal(sim::Role role, int address,
                                                    std::vector<sim::PersonRecord> records,
                                                    int baud, std::string& path) {
        sim::SimOptions options;
        sim::StationSetup station;
        station.terminal.address = address;
        station.terminal.role = role;
        station.terminal.records = std::move(records);
        options.terminals.push_back(station);
        options.timing.baud = baud;
        auto terminal = std::make_unique<sim::Simulator>(options);
        const auto started = terminal->start();
        EXPECT_TRUE(started.ok()) << started.error;
        path = started.path;
        return terminal;
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
    // Another user's copy (its own runtime and start directory) on the same
    // data path is refused too, and logs nothing.
    std::filesystem::create_directory(dir.path() / "other");
    const std::string other = dir.file("other");
    ChildProcess third(KELMORA_PROGRAM, {"--headless", "--config", dir.file("kelmora.ini")}, other,
                       {"XDG_RUNTIME_DIR=" + other}, join_path(other, "third.txt"));
    EXPECT_EQ(third.Wait(10000), 255);
    EXPECT_NE(read_file(join_path(other, "third.txt")).value_or("").find("Tento program"),
              std::string::npos);
    EXPECT_FALSE(file_exists(join_path(other, "errorlog.txt")));
    EXPECT_FALSE(first->Wait(0).has_value());
    ASSERT_TRUE(write_file(DataFile("request.cfg"), "TERM1\r\nN\r\n"));
    EXPECT_TRUE(WaitFor([&] {
        return read_file(DataFile("rexcom.sta")) == "1,0\r\n" &&
               !file_exists(DataFile("request.cfg"));
    }));
    first->Signal(SIGTERM);
    EXPECT_EQ(first->Wait(10000), 0);
}

TEST_F(Headless, AStopDuringAJobEndsItAfterTheCurrentCommand) {
    auto kelmora = Start();
    ASSERT_TRUE(WaitFor([&] { return Logged("TERM 1 SLAVE"); }));
    // C is followed by three seconds of pause: the stop comes in the middle,
    // and S is never sent.
    ASSERT_TRUE(write_file(DataFile("request.cfg"), "TERM1\r\nC\r\nS\r\n"));
    ASSERT_TRUE(WaitFor([&] { return !file_exists(DataFile("request.cfg")); }));
    sleep_ms(500);
    kelmora->Signal(SIGTERM);
    EXPECT_EQ(kelmora->Wait(20000), 0);
    EXPECT_EQ(read_file(DataFile("rexcom.sta")), "-1,-1\r\n");
    EXPECT_FALSE(file_exists(DataFile("output.txt")));
    EXPECT_FALSE(file_exists(DataFile("request.cfg.job")));
    const auto log = Log();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[log.size() - 3], std::string("Úloha nedokončena: program končí"_cp));
    EXPECT_EQ(log[log.size() - 2], "-1,-1");
    EXPECT_EQ(log.back(), "Stop programu");
}

TEST_F(Headless, StartedWithoutStandardStreamsItKeepsItsLineForTheFrames) {
    // A port opened as descriptor 2 would carry every console message.
    ChildProcess kelmora(KELMORA_PROGRAM, {"--headless", "--config", dir.file("kelmora.ini")},
                         dir.str(), {"XDG_RUNTIME_DIR=" + dir.str()}, "");
    ASSERT_TRUE(WaitFor([&] { return Logged("TERM 1 SLAVE"); }));
    for (const int fd : {0, 1, 2}) {
        EXPECT_EQ(std::filesystem::read_symlink("/proc/" + std::to_string(kelmora.Pid()) + "/fd/" +
                                                std::to_string(fd)),
                  "/dev/null")
            << fd;
    }
    ASSERT_TRUE(write_file(DataFile("request.cfg"), "TERM1\r\nS\r\n"));
    EXPECT_TRUE(WaitFor([&] { return read_file(DataFile("rexcom.sta")) == "1,1\r\n"; }));
    kelmora.Signal(SIGTERM);
    EXPECT_EQ(kelmora.Wait(10000), 0);
}

TEST_F(Headless, AConsoleThatWentAwayOrAHangUpNeverEndsItInTheMiddleOfAJob) {
    // Standard error is a pipe whose reader goes away, as with `| head -1`;
    // then the terminal it was started from hangs up.
    const std::string pipe = dir.file("console");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    auto kelmora = Start("console");
    ASSERT_TRUE(WaitFor([&] { return Logged("TERM 1 SLAVE"); }));
    ::close(reader);
    ASSERT_TRUE(write_file(DataFile("request.cfg"), "TERM1\r\nS\r\n"));
    ASSERT_TRUE(WaitFor([&] { return read_file(DataFile("rexcom.sta")) == "1,1\r\n"; }));
    kelmora->Signal(SIGHUP);
    EXPECT_EQ(kelmora->Wait(10000), 0);
    EXPECT_EQ(Log().back(), "Stop programu");
}

TEST_F(Headless, RequestFilesThatCannotBeTakenAreSetAsideAndServiceGoesOn) {
    auto kelmora = Start();
    ASSERT_TRUE(WaitFor([&] { return Logged("TERM 1 SLAVE"); }));
    const std::string request = DataFile("request.cfg");
    const auto gone = [&] {
        return !std::filesystem::exists(std::filesystem::symlink_status(request));
    };
    const auto failures = [&] {
        const auto log = Log();
        return std::count(log.begin(), log.end(), "-1,-1");
    };
    const std::vector<std::function<void()>> bad = {
        [&] { ASSERT_EQ(mkfifo(request.c_str(), 0600), 0); },
        [&] { ASSERT_EQ(symlink("/dev/zero", request.c_str()), 0); },
        [&] { ASSERT_TRUE(write_file(request, std::string(2 << 20, '\n'))); },
        [&] { std::filesystem::create_directory(request); },
    };
    for (std::size_t i = 0; i < bad.size(); ++i) {
        const auto before = failures();
        bad[i]();
        ASSERT_TRUE(WaitFor([&] { return gone() && failures() == before + 1; })) << i;
        EXPECT_EQ(read_file(DataFile("rexcom.sta")), "-1,-1\r\n");
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(request + ".bad")));
    }
    // Stamped an hour ahead by a host whose clock runs fast: taken all the same.
    ASSERT_TRUE(write_file(request + ".part", "TERM1\r\nS\r\n"));
    std::filesystem::last_write_time(
        request + ".part", std::filesystem::file_time_type::clock::now() + std::chrono::hours(1));
    std::filesystem::rename(request + ".part", request);
    ASSERT_TRUE(WaitFor([&] { return read_file(DataFile("rexcom.sta")) == "1,1\r\n"; }));
    // A line of only a NUL is a failed command, never an empty frame.
    // The job ends there; the records are those of the last command sent.
    ASSERT_TRUE(write_file(request, "TERM1\r\n\0\r\nS\r\n"s));
    ASSERT_TRUE(WaitFor([&] { return read_file(DataFile("rexcom.sta")) == "0,1\r\n"; }));
    EXPECT_TRUE(Logged("Příkaz se znakem NUL nebyl odeslán"_cp));
    kelmora->Signal(SIGTERM);
    EXPECT_EQ(kelmora->Wait(10000), 0);
}

TEST_F(Headless, AConfigurationFileThatIsNoFileStillStartsAndStops) {
    ASSERT_EQ(mkfifo(dir.file("fifo.ini").c_str(), 0600), 0);
    // SIGINT stops it as SIGTERM does.
    const std::vector<std::pair<std::string, int>> cases = {{dir.file("fifo.ini"), SIGTERM},
                                                            {"/dev/zero", SIGINT}};
    for (const auto& [config, signal] : cases) {
        remove_file(dir.file("errorlog.txt"));
        ChildProcess kelmora(KELMORA_PROGRAM, {"--headless", "--config", config}, dir.str(),
                             {"XDG_RUNTIME_DIR=" + dir.str()}, dir.file("stderr.txt"));
        ASSERT_TRUE(WaitFor([&] {
            return Logged(std::string("Konfiguraci nelze načíst ze souboru "_cp) + config +
                          std::string(": použita výchozí konfigurace"_cp));
        })) << config;
        kelmora.Signal(signal);
        EXPECT_EQ(kelmora.Wait(10000), 0) << config;
    }
}

TEST_F(Headless, AServiceWithoutItsConfigurationSaysSoAndServesNothing) {
    // On the defaults it would serve from its start directory, where nobody
    // drops a request file.
    NotifySocket manager(dir.file("notify"));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {dir.file("missing.ini"), "neexistuje"}, {Data(), "není to obyčejný soubor"}};
    for (const auto& [config, why] : cases) {
        remove_file(dir.file("errorlog.txt"));
        ChildProcess kelmora(KELMORA_PROGRAM, {"--headless", "--config", config}, dir.str(),
                             {"XDG_RUNTIME_DIR=" + dir.str(), manager.Variable()},
                             dir.file("journal.txt"));
        EXPECT_EQ(kelmora.Wait(10000), 78) << config;
        const std::string said = "Konfiguraci nelze načíst ze souboru " + config + " (" + why +
                                 "): služba bez konfigurace nepracuje";
        EXPECT_EQ(Log(), std::vector<std::string>{cp1250_from_utf8(said)});
        EXPECT_EQ(read_file(dir.file("journal.txt")), "kelmora: " + said + "\n");
        EXPECT_TRUE(manager.Received("STATUS=" + said));
        EXPECT_FALSE(manager.ReceivedWith("READY=1"));
    }
}

TEST_F(Headless, ADamagedConfigurationServesFromItsDefaultsAndStops) {
    // A NUL in the data path would cut it at the system call and make a
    // regular file the request file; a record that is not hexadecimal would
    // read as no slot at all; a wait of 24 days would never end.
    const std::string victim = dir.file("victim.txt");
    ASSERT_TRUE(write_file(victim, "TERM1\r\nS\r\n"));
    const std::string ini = dir.file("kelmora.ini");
    ASSERT_TRUE(WriteIniValue(ini, "Konfigurace", "PATH_data", victim + "\0/data"s));
    ASSERT_TRUE(WriteIniValue(ini, "Konfigurace", "Cfg_binary", std::string(136, 'X')));
    ASSERT_TRUE(WriteIniValue(ini, "Konfigurace", "Cekani_na_data", "2147483647"));
    auto kelmora = Start();
    // The default record has T1 at address 1 on COM1, where the terminal is.
    ASSERT_TRUE(WaitFor([&] { return Logged("TERM 1 SLAVE"); }));
    EXPECT_TRUE(Logged("PATH_data obsahuje znak NUL: použita výchozí hodnota"_cp));
    EXPECT_TRUE(Logged("Cfg_binary je poškozen: použita výchozí konfigurace"_cp));
    EXPECT_TRUE(Logged("Cekani_na_data=2147483647 mimo rozsah: použito 10000"_cp));
    // The data path is the start directory.
    ASSERT_TRUE(write_file(dir.file("request.cfg"), "TERM1\r\nS\r\n"));
    ASSERT_TRUE(WaitFor([&] { return read_file(dir.file("rexcom.sta")) == "1,1\r\n"; }));
    EXPECT_EQ(read_file(victim), "TERM1\r\nS\r\n");
    kelmora->Signal(SIGTERM);
    EXPECT_EQ(kelmora->Wait(10000), 0);
}

TEST_F(Headless, ANegativeWaitForDataIsKeptFinite) {
    // The terminal acknowledges P and sends nothing more.
    PtyPair pty;
    ScriptedTerminal far(pty);
    far.Script({{{0x06}}, {{0x06}}});
    ASSERT_TRUE(WriteIni(dir.file("kelmora.ini"), Data(), {{0, 1, 0}}, {{0, pty.path()}}));
    ASSERT_TRUE(WriteIniValue(dir.file("kelmora.ini"), "Konfigurace", "Cekani_na_data", "-1"));
    auto kelmora = Start();
    ASSERT_TRUE(WaitFor([&] { return Logged("TERM 1 SLAVE"); }));
    EXPECT_TRUE(Logged("Cekani_na_data=-1 mimo rozsah: použito 0"_cp));
    ASSERT_TRUE(write_file(DataFile("request.cfg"), "TERM1\r\nP\r\n"));
    ASSERT_TRUE(WaitFor([&] {
        return read_file(DataFile("rexcom.sta")) == "1,0\r\n" && Logged("1,0") &&
               Log().back() == "1,0" && !file_exists(DataFile("request.cfg.job"));
    }));
    kelmora->Signal(SIGTERM);
    EXPECT_EQ(kelmora->Wait(10000), 0);
}

TEST_F(Headless, AJobKilledMidwayIsReportedAtTheNextStartAndNeverRunAgain) {
    auto first = Start();
    ASSERT_TRUE(WaitFor([&] { return Logged("TERM 1 SLAVE"); }));
    std::string job = "TERM1\r\n";
    for (int i = 0; i < 200; ++i) {
        job += "N\r\n"; // some seconds of commands
    }
    ASSERT_TRUE(write_file(DataFile("request.cfg"), job));
    ASSERT_TRUE(WaitFor([&] { return Logged("1,0"); }));
    first->Signal(SIGKILL);
    first->Wait(10000);
    EXPECT_EQ(read_file(DataFile("request.cfg.job")), job);
    EXPECT_EQ(read_file(DataFile("rexcom.sta")), "1,0\r\n");

    const std::size_t before = Log().size();
    auto second = Start();
    ASSERT_TRUE(WaitFor([&] { return read_file(DataFile("rexcom.sta")) == "-1,-1\r\n"; }));
    EXPECT_FALSE(file_exists(DataFile("request.cfg.job")));
    second->Signal(SIGTERM);
    EXPECT_EQ(second->Wait(10000), 0);
    // Whatever the terminal makes of a line cut by the kill, nothing of the
    // job goes out again: its only trace is the failure pair.
    const auto log = Log();
    const std::vector<std::string> run(log.begin() + static_cast<long>(before), log.end());
    ASSERT_GE(run.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(run.end() - 3, run.end()),
              (std::vector<std::string>{std::string("Úloha ze souboru požadavků nebyla "
                                                    "dokončena, znovu se nespouští"_cp),
                                        "-1,-1", "Stop programu"}));
    EXPECT_EQ(std::count(run.begin(), run.end(), "1,0"), 0);
}

// Run as a notify service, the program says when its start-up is done, feeds
// the service manager's watchdog at its own watchdog tick (every 10 s) while
// its watcher lives, and says when it stops.
TEST_F(Headless, TellsTheServiceManagerReadyWatchdogAndStopping) {
    NotifySocket manager(dir.file("notify"));
    const auto receivedState = [&](const std::string& state) { return manager.Received(state); };

    auto kelmora = Start("stderr.txt", {manager.Variable()});
    ASSERT_TRUE(WaitFor([&] { return receivedState("READY=1\nSTATUS=Start programu"); }));
    EXPECT_TRUE(Logged("TERM 1 SLAVE")) << "ready before the start-up was done";
    EXPECT_TRUE(WaitFor([&] { return receivedState("WATCHDOG=1"); }));
    kelmora->Signal(SIGTERM);
    EXPECT_EQ(kelmora->Wait(10000), 0);
    EXPECT_TRUE(receivedState("STOPPING=1\nSTATUS=Stop programu"));
}

// What `systemctl status` and the journal show an administrator: the slots,
// the last status pair, the event log's lines; and a data path the sandbox
// does not let the service write (ProtectSystem=strict makes it read-only,
// played here by a read-only mount of its own), with the fix.
TEST_F(Headless, AsAServiceItsStatusAndJournalSayWhatAnAdministratorNeeds) {
    NotifySocket manager(dir.file("notify"));
    const std::vector<std::string> service = {manager.Variable(), "WATCHDOG_USEC=2000000"};
    {
        auto kelmora = Start("journal.txt", service);
        ASSERT_TRUE(WaitFor([&] { return manager.Received("STATUS=T1 COM1 SLAVE"); }));
        ASSERT_TRUE(write_file(DataFile("request.cfg"), "TERM1\r\nS\r\n"));
        EXPECT_TRUE(WaitFor([&] { return manager.Received("STATUS=T1 COM1 SLAVE; stav 1,1"); }));
        EXPECT_TRUE(manager.Received("WATCHDOG=1"));
        kelmora->Signal(SIGTERM);
        EXPECT_EQ(kelmora->Wait(10000), 0);
        const std::string journal = read_file(dir.file("journal.txt")).value_or("");
        for (const char* line :
             {"kelmora: Start programu\n", "kelmora: COM1 otevřen\n", "kelmora: TERM 1 SLAVE\n",
              "kelmora: 1,1\n", "kelmora: Stop programu\n"}) {
            EXPECT_NE(journal.find(line), std::string::npos) << line;
        }
    }

    remove_file(dir.file("errorlog.txt"));
    ASSERT_TRUE(write_file(DataFile("request.cfg"), "TERM1\r\nS\r\n"));
    const std::string readOnly = "mount -o bind,ro \"$0\" \"$0\" && exec \"$@\"";
    std::vector<std::string> environment = service;
    environment.push_back("XDG_RUNTIME_DIR=" + dir.str());
    ChildProcess kelmora("/usr/bin/unshare",
                         {"--mount", "--map-root-user", "sh", "-c", readOnly, Data(),
                          KELMORA_PROGRAM, "--headless", "--config", dir.file("kelmora.ini")},
                         dir.str(), environment, dir.file("journal.txt"));
    const auto started = [&] { return Logged("TERM 1 SLAVE") || kelmora.Wait(0).has_value(); };
    if (!kelmora.Started() || (WaitFor(started) && kelmora.Wait(0).has_value())) {
        GTEST_SKIP() << "no mount namespace here: "
                     << read_file(dir.file("journal.txt")).value_or("");
    }
    const std::string problem = "Do datového adresáře " + Data() + " nelze zapisovat";
    const std::string fix =
        "ReadWritePaths=" + Data() + " v doplňku služby (systemctl edit kelmora)";
    EXPECT_TRUE(WaitFor([&] {
        return manager.ReceivedWith("STATUS=" + problem + " (je jen pro čtení)") &&
               manager.ReceivedWith(fix + "; T1 COM1 SLAVE");
    }));
    kelmora.Signal(SIGTERM);
    EXPECT_EQ(kelmora.Wait(10000), 0);
    const std::string journal = read_file(dir.file("journal.txt")).value_or("");
    EXPECT_NE(journal.find(problem + ": zápis povolí " + fix), std::string::npos);
    EXPECT_TRUE(file_exists(DataFile("request.cfg"))) << "not taken, never half taken";
    const auto log = Log();
    EXPECT_EQ(std::count(log.begin(), log.end(), std::string("Nelze vymazat soubor požadavků"_cp)),
              0);
}

TEST_F(Headless, APulledAdapterIsUsedAgainWithoutARestart) {
    // The configured device is a link to the line, as /dev/serial/by-id names
    // are; the adapter behind it goes away and comes back.
    const std::string link = dir.file("ttyUSB");
    const auto plugIn = [&] {
        sim::SimOptions options;
        sim::StationSetup station;
        station.terminal.address = 1;
        options.terminals.push_back(station);
        options.timing.baud = 115200;
        options.link = link;
        auto adapter = std::make_unique<sim::Simulator>(options);
        EXPECT_TRUE(adapter->start().ok());
        return adapter;
    };
    simulator = plugIn();
    ASSERT_TRUE(WriteIni(dir.file("kelmora.ini"), Data(), {{0, 1, 0}}, {{0, link}}));
    auto kelmora = Start();
    ASSERT_TRUE(WaitFor([&] { return Logged("TERM 1 SLAVE"); }));
    ASSERT_TRUE(write_file(DataFile("request.cfg"), "TERM1\r\nS\r\n"));
    ASSERT_TRUE(WaitFor([&] { return read_file(DataFile("rexcom.sta")) == "1,1\r\n"; }));

    simulator.reset(); // pulled out
    ASSERT_TRUE(WaitFor([&] { return Logged("COM1 nepracuje (chyba -14)"); }));
    simulator = plugIn();
    const auto opened = [&] {
        const auto log = Log();
        return std::count(log.begin(), log.end(),
                          "COM1 otev\xF8"
                          "en");
    };
    ASSERT_TRUE(WaitFor([&] { return opened() == 2; })); // at the next re-test
    remove_file(DataFile("rexcom.sta"));
    ASSERT_TRUE(write_file(DataFile("request.cfg"), "TERM1\r\nS\r\n"));
    ASSERT_TRUE(WaitFor([&] { return read_file(DataFile("rexcom.sta")) == "1,1\r\n"; }));
    kelmora->Signal(SIGTERM);
    EXPECT_EQ(kelmora->Wait(10000), 0);
    const auto log = Log();
    EXPECT_EQ(std::count(log.begin(), log.end(), "COM1 nepracuje (chyba -14)"), 1);
}

namespace {

// What crossed the line as one trace tells it: the direction as the terminal
// saw it (Kelmora's TX is the terminal's RX), the address and the bytes.
// Lines without bytes (RTS, a timeout, an answer the terminal left out) and
// Kelmora's noise (the rest of a poll frame it had flushed) are left out:
// they have nothing the other side saw.
struct Crossing {
    std::string direction;
    std::string address;
    std::string kind;
    std::string bytes;
    bool SameAs(const Crossing& o) const {
        return direction == o.direction && address == o.address && bytes == o.bytes;
    }
};

std::vector<Crossing> Crossings(const std::string& trace, bool kelmorasTrace) {
    std::vector<Crossing> out;
    for (std::string line : split_text_lines(trace)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        line = line.substr(0, line.find(" # "));
        std::istringstream words(line);
        std::string ms, port;
        Crossing c;
        words >> ms;
        if (kelmorasTrace) {
            words >> port;
            EXPECT_EQ(port, "COM1") << line;
        }
        words >> c.direction >> c.address >> c.kind;
        std::getline(words, c.bytes);
        c.bytes.erase(0, c.bytes.find_first_not_of(' '));
        c.bytes.erase(c.bytes.find_last_not_of(' ') + 1);
        if (c.direction == "--" || c.bytes.empty() || (kelmorasTrace && c.kind == "noise")) {
            continue;
        }
        if (kelmorasTrace) {
            c.direction = c.direction == "TX" ? "RX" : "TX";
        }
        out.push_back(c);
    }
    return out;
}

std::vector<Crossing> Only(const std::vector<Crossing>& all, const std::string& direction) {
    std::vector<Crossing> out;
    std::copy_if(all.begin(), all.end(), std::back_inserter(out),
                 [&](const Crossing& c) { return c.direction == direction; });
    return out;
}

// Whether `part` appears in `whole` in its order (a MASTER polls on while
// Kelmora does not listen).
bool InOrderWithin(const std::vector<Crossing>& part, const std::vector<Crossing>& whole) {
    auto at = whole.begin();
    for (const Crossing& c : part) {
        at = std::find_if(at, whole.end(), [&](const Crossing& w) { return w.SameAs(c); });
        if (at == whole.end()) {
            return false;
        }
        ++at;
    }
    return true;
}

} // namespace

TEST_F(Headless, ItsLineTraceOfAJobMatchesTheTerminalsTrace) {
    for (const sim::Role role : {sim::Role::Slave, sim::Role::Master}) {
        const bool master = role == sim::Role::Master;
        SCOPED_TRACE(master ? "MASTER" : "SLAVE");
        const std::string simTrace = dir.file(master ? "sim-master.trace" : "sim-slave.trace");
        const std::string ownTrace = dir.file(master ? "master.trace" : "slave.trace");
        sim::SimOptions options;
        sim::StationSetup station;
        station.terminal.address = 1;
        station.terminal.role = role;
        station.terminal.records = sim::random_records(20, 5, {}, {});
        options.terminals.push_back(station);
        options.timing.baud = 115200;
        options.trace_path = simTrace;
        simulator = std::make_unique<sim::Simulator>(options);
        const auto started = simulator->start();
        ASSERT_TRUE(started.ok()) << started.error;
        ASSERT_TRUE(WriteIni(dir.file("kelmora.ini"), Data(), {{0, 1, 0}}, {{0, started.path}}));
        remove_file(DataFile("rexcom.sta"));
        remove_file(dir.file("errorlog.txt"));

        // The window's way, the INI key; and the command line, which wins.
        std::vector<std::string> arguments = {"--headless", "--config", dir.file("kelmora.ini")};
        ASSERT_TRUE(WriteIniValue(dir.file("kelmora.ini"), "Diagnostika", "Trace",
                                  master ? dir.file("missing/line.trace") : ownTrace));
        if (master) {
            arguments.insert(arguments.end(), {"--trace", ownTrace});
        }
        ChildProcess kelmora(KELMORA_PROGRAM, arguments, dir.str(),
                             {"XDG_RUNTIME_DIR=" + dir.str()}, dir.file("stderr.txt"));
        ASSERT_TRUE(WaitFor([&] { return Logged(master ? "TERM 1 MASTER" : "TERM 1 SLAVE"); }));
        ASSERT_TRUE(write_file(DataFile("request.cfg"), "TERM1\r\nS\r\nP\r\n"));
        ASSERT_TRUE(WaitFor([&] {
            return file_exists(DataFile("rexcom.sta")) && !file_exists(DataFile("request.cfg")) &&
                   !file_exists(DataFile("request.cfg.job"));
        }));
        EXPECT_EQ(read_file(DataFile("rexcom.sta")), "2,20\r\n");
        kelmora.Signal(SIGTERM);
        EXPECT_EQ(kelmora.Wait(10000), 0);
        simulator.reset();

        const auto own = Crossings(read_file(ownTrace).value_or(""), true);
        const auto terminal = Crossings(read_file(simTrace).value_or(""), false);
        // Every frame Kelmora sent reached the terminal, as it was sent.
        const auto sent = Only(own, "RX");
        const auto arrived = Only(terminal, "RX");
        ASSERT_EQ(sent.size(), arrived.size());
        EXPECT_TRUE(InOrderWithin(sent, arrived));
        // What Kelmora took off the line is what the terminal put on it;
        // from a SLAVE, all of it.
        const auto taken = Only(own, "TX");
        const auto answered = Only(terminal, "TX");
        EXPECT_TRUE(InOrderWithin(taken, answered));
        if (!master) {
            EXPECT_EQ(taken.size(), answered.size());
        }
        // Not an empty match: the answer blocks of S and P are there, read as blocks.
        EXPECT_EQ(std::count_if(taken.begin(), taken.end(),
                                [](const Crossing& c) { return c.kind == "block"; }),
                  2);
        EXPECT_EQ(std::count_if(taken.begin(), taken.end(),
                                [](const Crossing& c) { return c.kind == "ack"; }),
                  std::count_if(answered.begin(), answered.end(),
                                [](const Crossing& c) { return c.kind == "ack"; }));
    }
    // A trace file that cannot be written is logged, and the program serves on without.
    const std::string unwritable = dir.file("missing/line.trace");
    remove_file(dir.file("errorlog.txt"));
    ChildProcess kelmora(KELMORA_PROGRAM,
                         {"--headless", "--config", dir.file("kelmora.ini"), "--trace", unwritable},
                         dir.str(), {"XDG_RUNTIME_DIR=" + dir.str()}, dir.file("stderr.txt"));
    EXPECT_TRUE(
        WaitFor([&] { return Logged(std::string("Nelze vytvořit soubor "_cp) + unwritable); }));
    kelmora.Signal(SIGTERM);
    EXPECT_EQ(kelmora.Wait(10000), 0);
}

TEST_F(Headless, ADownloadComesWholeThroughAProgramHeldUpInTheMiddle) {
    // Five hundred records, about two seconds at 57600 baud, from a SLAVE on
    // COM1 and a MASTER on COM2. Halfway the program is held up (SIGSTOP) as
    // a busy or paused machine holds it, while the terminal goes on sending.
    const auto records = sim::random_records(500, 7, {}, {});
    std::string slavePath;
    std::string masterPath;
    auto slave = Terminal(sim::Role::Slave, 1, records, 57600, slavePath);
    auto master = Terminal(sim::Role::Master, 2, records, 57600, masterPath);
    ASSERT_TRUE(WriteIni(dir.file("kelmora.ini"), Data(), {{0, 1, 0}, {1, 2, 1}},
                         {{0, slavePath}, {1, masterPath}}));
    auto kelmora = Start();
    ASSERT_TRUE(WaitFor([&] { return Logged("TERM 1 SLAVE") && Logged("TERM 2 MASTER"); }));
    struct Case {
        const char* name;
        int slot;
        sim::Simulator* terminal;
        std::uint32_t holdMs;
    };
    const Case cases[] = {{"SLAVE, 300 ms", 1, slave.get(), 300},
                          {"SLAVE, 1 s", 1, slave.get(), 1000},
                          {"MASTER, 300 ms", 2, master.get(), 300},
                          {"MASTER, 1 s", 2, master.get(), 1000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        remove_file(DataFile("rexcom.sta"));
        const auto sentBefore = c.terminal->line_counters().bytes_sent;
        ASSERT_TRUE(
            write_file(DataFile("request.cfg"), "TERM" + std::to_string(c.slot) + "\r\nP\r\n"));
        ASSERT_TRUE(WaitFor([&] {
            return c.terminal->line_counters().bytes_sent - sentBefore > records.size() * 12;
        }));
        kelmora->Signal(SIGSTOP);
        sleep_ms(c.holdMs);
        kelmora->Signal(SIGCONT);
        ASSERT_TRUE(WaitFor([&] {
            return file_exists(DataFile("rexcom.sta")) && !file_exists(DataFile("request.cfg.job"));
        }));
        EXPECT_EQ(read_file(DataFile("rexcom.sta")), "1,500\r\n");
        const std::string block = read_file(DataFile("binarni.bin")).value_or("");
        ASSERT_EQ(block.size(), records.size() * 24);
        for (std::size_t i = 0; i < records.size(); ++i) {
            const auto* r = reinterpret_cast<const std::uint8_t*>(block.data() + i * 24);
            ASSERT_EQ(r[0], static_cast<std::uint8_t>(records[i].letter)) << "record " << i;
            ASSERT_EQ(r[1] << 8 | r[2], records[i].number) << "record " << i;
        }
    }
    kelmora->Signal(SIGTERM);
    EXPECT_EQ(kelmora->Wait(10000), 0);
}

TEST_F(Headless, AStopDuringADownloadEndsItAtOnce) {
    // Five hundred records take thirteen seconds at 9600 baud; reading an
    // answer changes nothing on the terminal, so a stop need not wait.
    std::string path;
    auto slow = Terminal(sim::Role::Slave, 1, sim::random_records(500, 7, {}, {}), 9600, path);
    ASSERT_TRUE(WriteIni(dir.file("kelmora.ini"), Data(), {{0, 1, 0}}, {{0, path}}));
    ASSERT_TRUE(write_file(DataFile("binarni.bin"), "an earlier answer"));
    auto kelmora = Start();
    ASSERT_TRUE(WaitFor([&] { return Logged("TERM 1 SLAVE"); }));
    const auto sentBefore = slow->line_counters().bytes_sent;
    ASSERT_TRUE(write_file(DataFile("request.cfg"), "TERM1\r\nP\r\n"));
    ASSERT_TRUE(WaitFor([&] { return slow->line_counters().bytes_sent - sentBefore > 1000; }));
    kelmora->Signal(SIGTERM);
    EXPECT_EQ(kelmora->Wait(20000), 0);
    EXPECT_LT(slow->line_counters().bytes_sent - sentBefore, 500u * 24)
        << "the stop waited for the whole download";
    EXPECT_EQ(read_file(DataFile("rexcom.sta")), "-1,-1\r\n");
    EXPECT_EQ(read_file(DataFile("binarni.bin")).value_or("missing").size(), 0u);
    EXPECT_FALSE(file_exists(DataFile("request.cfg.job")));
    EXPECT_TRUE(Logged("Úloha nedokončena: program končí"_cp));
    EXPECT_EQ(Log().back(), "Stop programu");
}

TEST_F(Headless, KelmoraRequestPrintsItsJobsAnswersAndAnExitStatusForEachOutcome) {
    auto kelmora = Start();
    ASSERT_TRUE(WaitFor([&] { return Logged("TERM 1 SLAVE"); }));
    struct Case {
        std::vector<std::string> arguments;
        int naks; // the terminal refuses this many commands first
        int exit;
        std::size_t answers; // answer lines before the pair
        std::string pair;
        std::string said; // UTF-8, as a console shows it; empty: nothing
    };
    const Case cases[] = {
        {{"--terminal", "1", "N", "S"}, 0, 0, 1, "2,1", ""},
        {{"--terminal", "1"}, 0, 0, 0, "1,0", ""},
        {{"--terminal", "1", "N"}, 1, 1, 0, "0,0", "Terminál potvrdil 0 z 1 příkazů"},
        {{"TERM 3", "N"}, 0, 3, 0, "-1,0", "Úloha skončila stavem -1,0: řádek TERM volí terminál"},
        {{"--terminal", "1", std::string(98, 'S')},
         0,
         2,
         0,
         "",
         "Řádek 1: 98 znaků se do rámce nevejde"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.back());
        sim::Faults faults;
        faults.nak = sim::FaultSpec::next(c.naks);
        ASSERT_TRUE(simulator->set_faults(1, faults));
        auto client = Request(c.arguments);
        EXPECT_EQ(client->Wait(20000), c.exit);
        const std::vector<std::string> printed = split_text_lines(Printed());
        ASSERT_EQ(printed.size(), c.answers + (c.pair.empty() ? 0 : 1)) << Printed();
        if (!c.pair.empty()) {
            EXPECT_EQ(printed.back(), c.pair);
        }
        EXPECT_EQ(Said().find("kelmora: " + c.said), c.said.empty() ? std::string::npos : 0)
            << Said();
        if (c.answers > 0) {
            // The job's own output file, whose lines the host reads.
            EXPECT_EQ(printed.front().substr(0, 1), "S");
            EXPECT_EQ(read_file(DataFile("output.txt")), printed.front() + "\r\n");
        }
    }
    EXPECT_EQ(DataFiles(), kAfterADownload);
    kelmora->Signal(SIGTERM);
    EXPECT_EQ(kelmora->Wait(10000), 0);
}

TEST_F(Headless, AHostsRequestWaitingIsNeverReplacedAndBothJobsRunEachToItsOwner) {
    auto kelmora = Start();
    ASSERT_TRUE(WaitFor([&] { return Logged("TERM 1 SLAVE"); }));
    // The host is still writing its request: Kelmora does not take it yet.
    const std::string hostRequest = "TERM1\r\nS\r\n";
    const int host =
        ::open(DataFile("request.cfg").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(host, 0);
    ASSERT_EQ(::write(host, hostRequest.data(), hostRequest.size()),
              static_cast<ssize_t>(hostRequest.size()));
    // A line with š as the console gives it (UTF-8): Windows-1250 in the file.
    auto client = Request({"--terminal", "1", "N\xC5\xA1", "Y"});
    ASSERT_TRUE(WaitFor([&] {
        return Said().find("ještě nebyl převzat: tento počká, až na něj přijde řada") !=
               std::string::npos;
    })) << Said();
    EXPECT_FALSE(client->Wait(300).has_value());
    EXPECT_EQ(read_file(DataFile("request.cfg")), hostRequest);
    std::vector<std::string> own;
    for (const std::string& name : DataFiles()) {
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".new") == 0) {
            own.push_back(name);
        }
    }
    ASSERT_EQ(own.size(), 1u);
    EXPECT_EQ(read_file(join_path(Data(), own[0])), "TERM 1\r\nN\x9A\r\nY\r\n");

    ::close(host); // the host's job runs first, then this one
    EXPECT_EQ(client->Wait(20000), 0) << Said();
    EXPECT_EQ(Printed(), "2,0\n") << "the S line is the host's, not this job's";
    EXPECT_EQ(Pairs(), (std::vector<std::string>{"1,0", "1,1", "1,0", "2,0"}));
    EXPECT_EQ(DataFiles(), kAfterADownload);
    kelmora->Signal(SIGTERM);
    EXPECT_EQ(kelmora->Wait(10000), 0);
}

TEST_F(Headless, WhileBusyARequestIsTakenBackInTimeAndOneWrittenOverIsNotTakenForItsOwn) {
    auto kelmora = Start();
    ASSERT_TRUE(WaitFor([&] { return Logged("TERM 1 SLAVE"); }));
    // The host's job clears the memory: three seconds in which nothing else is taken.
    ASSERT_TRUE(write_file(DataFile("request.cfg"), "TERM1\r\nC\r\n"));
    ASSERT_TRUE(WaitFor([&] { return Pairs().size() == 1; }));
    auto client = Request({"--timeout", "0.5", "--terminal", "1", "S"});
    EXPECT_EQ(client->Wait(20000), 4);
    EXPECT_NE(Said().find("Kelmora požadavek nepřevzala do 0.5 s: požadavek odvolán"),
              std::string::npos)
        << Said();
    EXPECT_EQ(Printed(), "");
    EXPECT_FALSE(file_exists(DataFile("request.cfg"))) << "left to run later";

    // A host that writes its request without looking writes over the
    // client's in place before Kelmora takes it: that job is the host's.
    client = Request({"--terminal", "1", "N"});
    ASSERT_TRUE(WaitFor([&] { return read_file(DataFile("request.cfg")) == "TERM 1\r\nN\r\n"; }));
    ASSERT_TRUE(write_file(DataFile("request.cfg"), "TERM1\r\nS\r\n"));
    EXPECT_EQ(client->Wait(20000), 3);
    EXPECT_EQ(Printed(), "") << "the host's S line and pair";
    EXPECT_NE(Said().find("Požadavek přepsal jiný program dřív, než jej Kelmora převzala"),
              std::string::npos)
        << Said();
    EXPECT_EQ(DataFiles(), kAfterADownload);
    kelmora->Signal(SIGTERM);
    EXPECT_EQ(kelmora->Wait(10000), 0);
    EXPECT_EQ(Pairs(), (std::vector<std::string>{"1,0", "1,0", "1,0", "1,1"}));
}

// The test plays the relay: it holds the data path's lock and sets the
// client's request aside (taken, then renamed away), the way a request that
// cannot be run is. Its receipt comes a moment after the pair, and what was
// in the receipt file before is not taken for it; where none comes at all
// (it could not be written), that is said long before the time-out.
TEST_F(Headless, KelmoraRequestWaitsForTheReceiptOfARequestSetAsideButNotForever) {
    SingleInstance relay("kelmora", Data());
    ASSERT_TRUE(relay.Held());
    const std::string request = DataFile("request.cfg");
    for (const bool receipt : {true, false}) {
        SCOPED_TRACE(receipt ? "a late receipt" : "no receipt");
        auto client = Request({"--timeout", "600", "--terminal", "1", "N"});
        ASSERT_TRUE(WaitFor([&] { return file_exists(request); }));
        const auto identity = file_identity(request);
        const auto bytes = read_file(request);
        ASSERT_TRUE(identity && bytes);
        if (receipt) {
            // An earlier job of a file with this identity, removed by its
            // writer before that job's receipt went out: not this job's.
            const JobReceipt earlier{-1, -1, "", RequestDigest("TERM 9\r\n")};
            ASSERT_EQ(WriteReceipt(request, *identity, earlier), ReceiptWritten::Written);
            sleep_ms(200); // looks the client takes while its request waits
        }
        ASSERT_TRUE(rename_over(request, request + ".job"));
        ASSERT_TRUE(rename_over(request + ".job", DataFile("request.cfg.bad")));
        if (receipt) {
            sleep_ms(300); // the pair written meanwhile
            ASSERT_EQ(WriteReceipt(request, *identity,
                                   JobReceipt{-1, -1, "X\r\n", RequestDigest(*bytes)}),
                      ReceiptWritten::Written);
        }
        EXPECT_EQ(client->Wait(20000), 3);
        EXPECT_EQ(Printed(), receipt ? "X\n-1,-1\n" : "") << Said();
        EXPECT_EQ(Said().find(receipt ? "kelmora: Úloha skončila stavem -1,-1"
                                      : "kelmora: Kelmora požadavek převzala, ale jeho výsledek "
                                        "nepotvrdila"),
                  0u)
            << Said();
        EXPECT_EQ(DataFiles(), (std::set<std::string>{"kelmora.lock", "request.cfg.bad"}));
    }
}

TEST_F(Headless, KelmoraRequestWithoutAKelmoraOnTheDataPathSaysSoAtOnce) {
    auto client = Request({"--timeout", "600", "--terminal", "1", "S"});
    EXPECT_EQ(client->Wait(20000), 5);
    EXPECT_NE(Said().find("kelmora: V datovém adresáři " + Data() + " neběží Kelmora"),
              std::string::npos)
        << Said();
    EXPECT_EQ(Printed(), "");
    EXPECT_TRUE(DataFiles().empty());
}
