// Jobs end to end below the shell: request files, attempts, receive repeats,
// two-part lines, the output file and the status pairs, against a terminal
// whose side of a real pty the test scripts.
#include "engine/CommandRunner.h"
#include "engine/Configuration.h"
#include "engine/EventLog.h"
#include "engine/JobReceipt.h"
#include "engine/SharedFlags.h"
#include "engine/TerminalHost.h"
#include "engine/Terminals.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "platform/Priority.h"
#include "platform/TextLines.h"
#include "serial/Customport.h"
#include "serial/PortDevices.h"
#include "support/LogMessages.h"
#include "support/RecordingConsole.h"
#include "support/ScriptedTerminal.h"
#include "support/TempDir.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <thread>

using namespace kelmora;
using namespace kelmora::testing;
using namespace kelmora::literals;

namespace {

constexpr std::int32_t kCom = 7;
const Bytes kAckByte = {0x06};

Bytes PersonRecord(char letter) {
    Bytes r = {static_cast<std::uint8_t>(letter), 0x00, 0x07, 0x12, 0x34, 0x56, 0x78, '0'};
    r.insert(r.end(), 14, 0x46);
    r.insert(r.end(), 2, 0);
    return r;
}

int CountOf(const std::vector<std::string>& messages, std::string_view prefix) {
    return static_cast<int>(std::count_if(messages.begin(), messages.end(),
                                          [&](const auto& m) { return m.rfind(prefix, 0) == 0; }));
}

Bytes AckWith(const Bytes& block) {
    Bytes b = kAckByte;
    b.insert(b.end(), block.begin(), block.end());
    return b;
}

class Runner : public ::testing::Test {
protected:
    void SetUp() override {
        set_port_device(kCom, pty.path());
        MarkParity = false;
        LineLeadUs = 50;
        LineTailUs = 6700;
        config.DataPath = dir.str();
        config.Slots[0] = {1, kCom, true};
        config.Slots[1] = {2, kCom, true};
    }
    void TearDown() override {
        runner.reset();
        terminals.reset();
        clear_port_devices();
    }

    // Opens the tables; each connected slot answers its probe.
    void Open() {
        far.Script({{kAckByte}, {kAckByte}});
        host = std::make_unique<TerminalHost>(TobrinSettingsFrom(config), log, console, flags);
        terminals = std::make_unique<Terminals>(config, *host, console, log, flags);
        terminals->OpenTerminals();
        // Made before the check, so that a test goes on without a crash when it fails.
        runner = std::make_unique<CommandRunner>(config, log, console, *terminals, flags);
        sentBefore = far.Frames().size();
        ASSERT_EQ(console.indicators[0], IndicatorState::Slave);
    }
    std::vector<Bytes> FramesSinceOpen() const {
        const auto all = far.Frames();
        return {all.begin() + static_cast<long>(sentBefore), all.end()};
    }
    std::string Status() const { return *read_file(dir.file("rexcom.sta")); }
    std::string Request(const std::string& content) {
        const std::string path = dir.file("request.cfg");
        EXPECT_TRUE(write_file(path, content));
        return path;
    }

    TempDir dir;
    PtyPair pty;
    ScriptedTerminal far{pty};
    RecordingConsole console;
    Configuration config;
    EventLog log{dir.str(), [] { return LocalTime{2013, 3, 7, 4, 9, 5, 3}; }};
    SharedFlags flags;
    std::unique_ptr<TerminalHost> host;
    std::unique_ptr<Terminals> terminals;
    std::unique_ptr<CommandRunner> runner;
    std::size_t sentBefore = 0;
};

} // namespace

TEST_F(Runner, TermLineSelectsTheSlotOrRefusesIt) {
    Open();
    ASSERT_TRUE(write_file(dir.file("output.txt"), "earlier\r\n"));
    struct Case {
        std::string content;
        std::string status;
        int selected;
    };
    const Case cases[] = {
        {"TERM2\r\n", "1,0\r\n", 1},        // selected, nothing to send
        {"TERM 5\r\nS\r\n", "-1,0\r\n", 1}, // no such slot
        {"TERM3\r\nS\r\n", "-1,0\r\n", 1},  // not connected
        {"TERMx\r\n", "-1,0\r\n", 1},       // atol gives 0
        {"", "-1,-1\r\n", 1},               // an empty file
        {"  TERM 1\r\n", "", 1},            // not a TERM line: runs as a command
    };
    for (const auto& c : cases) {
        const std::string path = Request(c.content);
        far.Script({{kAckByte}});
        runner->ProcessRequestFile(path);
        EXPECT_FALSE(file_exists(path)) << c.content;
        if (!c.status.empty()) {
            EXPECT_EQ(Status(), c.status) << c.content;
        }
        EXPECT_EQ(console.selectedSlot, c.selected) << c.content;
    }
    // Only the last case sent a line; the others left the output file alone.
    const auto frames = FramesSinceOpen();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0][0], 0x02); // to slot 2's address
    EXPECT_EQ(read_file(dir.file("output.txt")), "");
}

TEST_F(Runner, UnconnectedSlotWithoutTermLineRewritesAnEmptyOutput) {
    Open();
    ASSERT_TRUE(write_file(dir.file("output.txt"), "earlier\r\n"));
    console.selectedSlot = 2;
    runner->ProcessRequestFile(Request("S\r\nY\r\n"));
    EXPECT_EQ(read_file(dir.file("output.txt")), "");
    EXPECT_EQ(Status(), "-1,-1\r\n");
    EXPECT_TRUE(FramesSinceOpen().empty());
}

TEST_F(Runner, EmptyLinesCountInTheProgressButAreNotSent) {
    Open();
    far.Script({{kAckByte}, {kAckByte}});
    runner->ProcessRequestFile(Request("O00\r\n\r\nO11\r\n"));
    std::vector<std::string> progress;
    for (const auto& [panel, text] : console.panelHistory) {
        if (panel == 9) {
            progress.push_back(text);
        }
    }
    EXPECT_EQ(progress, (std::vector<std::string>{"1/3", "2/3", "3/3", ""}));
    EXPECT_EQ(FramesSinceOpen().size(), 2u);
    EXPECT_EQ(Status(), "2,0\r\n");
    EXPECT_EQ(console.trayImages.back(), 0);
}

TEST_F(Runner, EveryAttemptIsUsedWhenNothingAnswers) {
    Open();
    console.attempts = 3;
    runner->CommandList = {"O00", "O11"};
    runner->RunCommandList();
    std::vector<std::string> attempts;
    for (const auto& [panel, text] : console.panelHistory) {
        if (panel == 5) {
            attempts.push_back(text);
        }
    }
    EXPECT_EQ(attempts, (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(FramesSinceOpen().size(), 3u); // the job ended after the failed line
    EXPECT_EQ(runner->SelectedTerminal()->AckCount, 0);
}

TEST_F(Runner, ReceiveRepeatThenGoodAnswerCountsOneAcknowledgement) {
    Open();
    console.attempts = 3;
    Bytes bad = PersonRecord('R');
    bad.push_back('x'); // 25 bytes: not a whole record
    Bytes good = PersonRecord('R');
    const Bytes second = PersonRecord('R');
    good.insert(good.end(), second.begin(), second.end());
    far.Script({{AckWith(bad)}, {AckWith(good)}});
    EXPECT_TRUE(runner->RunCommand("P"));
    EXPECT_EQ(console.panels[7], "2");
    EXPECT_EQ(runner->SelectedTerminal()->AckCount, 1);
    EXPECT_EQ(runner->SelectedTerminal()->RecordCount, 2);
    EXPECT_EQ(console.results.size(), 2u);
}

TEST_F(Runner, OnlyAWholeAndRightAnswerIsReportedAsAcknowledged) {
    config.MemoryLength = 10 * 24;
    Open();
    console.attempts = 3;
    Bytes ten;
    for (int i = 0; i < 10; ++i) {
        const Bytes r = PersonRecord('R');
        ten.insert(ten.end(), r.begin(), r.end());
    }
    Bytes noisy = ten;
    noisy.insert(noisy.begin() + 4 * 24 + 3, 24, 0xA7); // fits the length, not the letters
    noisy.resize(ten.size());
    Bytes tooMany = ten;
    tooMany.push_back('R');
    struct Case {
        const char* name;
        std::vector<Reply> replies;
        std::size_t frames;
        std::string status;
    };
    const Case cases[] = {
        {"noise, then the whole answer", {{AckWith(noisy)}, {AckWith(ten)}}, 2, "1,10\r\n"},
        {"noise every time", {{AckWith(noisy)}, {AckWith(noisy)}, {AckWith(noisy)}}, 3, "0,0\r\n"},
        // More than the memory holds: sending again cannot help.
        {"an answer larger than the memory", {{AckWith(tooMany)}, {AckWith(ten)}}, 1, "0,0\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        console.results.clear();
        far.Script(c.replies);
        const std::size_t before = far.Frames().size();
        runner->ProcessRequestFile(Request("TERM1\r\nP\r\n"));
        EXPECT_EQ(far.Frames().size() - before, c.frames);
        EXPECT_EQ(Status(), c.status);
        EXPECT_EQ(console.results.size(), c.status == "1,10\r\n" ? 10u : 0u);
    }
    const auto logged = LogMessages(*log.Read());
    EXPECT_EQ(CountOf(logged, "R,Z chybne nacteno: 240 byte"), 4);
    EXPECT_EQ(CountOf(logged, "Překročena kapacita paměti!!!"_cp), 1);
    EXPECT_EQ(console.messages.size(), 1u); // the operator's message, once
}

TEST_F(Runner, SingleAttemptWithAnUnusableAnswerStillCountsAsSuccess) {
    Open();
    Bytes bad = PersonRecord('Z');
    bad.pop_back();
    far.Script({{AckWith(bad)}});
    EXPECT_TRUE(runner->RunCommand("P"));
    EXPECT_EQ(runner->SelectedTerminal()->AckCount, 0);
}

TEST_F(Runner, TwoPartLineSendsPartTwoOnlyAfterPartOne) {
    Open();
    const std::string line =
        "R0007123456780" + std::string(42, '1') + std::string(42, '2') + "NOVAK JAN     ";
    ASSERT_EQ(line.size(), 112u);
    far.Script({{kAckByte}, {kAckByte}});
    EXPECT_TRUE(runner->RunTwoPartLine(line));
    auto frames = FramesSinceOpen();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0][2], 'R');
    EXPECT_EQ(frames[1][2], 'r');
    EXPECT_EQ(frames[0].size(), 43u); // 40-byte record payloads
    // Part one refused: part two never goes out.
    far.Script({{{0x15}}});
    EXPECT_FALSE(runner->RunTwoPartLine(line));
    EXPECT_EQ(FramesSinceOpen().size(), 3u);
}

TEST_F(Runner, OverlongLineIsNotSentAndEndsTheJob) {
    Open();
    runner->CommandList = {std::string(98, 'S'), "O00"};
    runner->RunCommandList();
    EXPECT_TRUE(FramesSinceOpen().empty());
    ASSERT_FALSE(log.Read()->empty());
    EXPECT_NE(log.Read()->find("98"), std::string::npos);
}

TEST_F(Runner, CodingErrorEndsTheJobSilentlyAndTheResultsAreStillSaved) {
    config.MaxBreakfasts = 0;
    Open();
    far.Script({{kAckByte}});
    runner->ProcessRequestFile(Request("O00\r\nQ0001\r\nO11\r\n"));
    EXPECT_EQ(FramesSinceOpen().size(), 1u); // O00 only
    EXPECT_EQ(Status(), "1,0\r\n");
    EXPECT_TRUE(console.messages.empty());
    EXPECT_EQ(console.trayImages.back(), 0);
}

TEST_F(Runner, AbsentTerminalSendsNothingAndReportsItsCounts) {
    config.Slots[1].Connected = false;
    far.Script({});
    host = std::make_unique<TerminalHost>(TobrinSettingsFrom(config), log, console, flags);
    terminals = std::make_unique<Terminals>(config, *host, console, log, flags);
    terminals->OpenTerminals(); // nobody answers the probe
    runner = std::make_unique<CommandRunner>(config, log, console, *terminals, flags);
    const std::size_t probes = far.Frames().size();
    runner->ProcessRequestFile(Request("S\r\n"));
    EXPECT_EQ(far.Frames().size(), probes);
    EXPECT_EQ(Status(), "0,0\r\n");
}

TEST_F(Runner, BadRequestFilesAreHandledAndNothingOverflows) {
    Open();
    struct Case {
        std::string name;
        std::string content;
        std::size_t frames; // what reaches the terminal
        std::string status;
        bool endOnFailure = false;
    };
    std::string garbage;
    for (int i = 0; i < 4096; ++i) {
        garbage += static_cast<char>((i * 37 + 11) % 256);
    }
    const std::string utf16 = std::string("\xFF\xFE", 2) + std::string("N\0"
                                                                       "1\0\r\0\n\0"
                                                                       "N\0"
                                                                       "2\0",
                                                                       12);
    const Case cases[] = {
        {"binary garbage", garbage, 0, "", true},
        {"lines of thousands of characters",
         std::string(5000, 'N') + "\r\n" + std::string(3000, 'Q'), 0, "0,0\r\n"},
        {"UTF-16 with a byte-order mark", utf16, 2, "2,0\r\n"},
        {"CR only", "N1\rN2\rN3\r", 3, "3,0\r\n"},
    };
    for (const auto& c : cases) {
        console.endJobOnFailure = c.endOnFailure;
        std::vector<Reply> acks(10, Reply{kAckByte});
        far.Script(acks);
        const std::size_t before = far.Frames().size();
        runner->ProcessRequestFile(Request(c.content));
        EXPECT_FALSE(file_exists(dir.file("request.cfg"))) << c.name;
        if (c.frames > 0) {
            EXPECT_EQ(far.Frames().size() - before, c.frames) << c.name;
        }
        if (!c.status.empty()) {
            EXPECT_EQ(Status(), c.status) << c.name;
        }
    }
    // Over-long lines were refused one by one, in the event log.
    EXPECT_NE(log.Read()->find("5000"), std::string::npos);
    EXPECT_NE(log.Read()->find("3000"), std::string::npos);
}

namespace {

int OpenDescriptors() {
    return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                          std::filesystem::directory_iterator()));
}

} // namespace

TEST_F(Runner, ARequestFileThatCannotBeTakenIsSetAsideOnceAndTheNextIsServed) {
    Open();
    const std::string request = dir.file("request.cfg");
    const std::string bad = request + ".bad";
    const std::string secret = dir.file("secret.txt");
    ASSERT_TRUE(write_file(secret, "TERM1\r\nsecret\r\n"));
    struct Case {
        const char* name;
        std::function<void()> make;
    };
    const Case cases[] = {
        {"a FIFO", [&] { ASSERT_EQ(mkfifo(request.c_str(), 0600), 0); }},
        {"a link to an endless device",
         [&] { ASSERT_EQ(symlink("/dev/zero", request.c_str()), 0); }},
        // Planted by another member of the data path's group: the file's
        // first line must reach neither the log nor the terminal.
        {"a link to a file only the program may read",
         [&] { ASSERT_EQ(symlink(secret.c_str(), request.c_str()), 0); }},
        {"more line breaks than a request can hold",
         [&] { ASSERT_TRUE(write_file(request, std::string(kMaxCommandFileLines + 1, '\n'))); }},
        {"more bytes than a request can hold",
         [&] { ASSERT_TRUE(write_file(request, std::string(kMaxCommandFileBytes + 1, 'N'))); }},
        {"a directory", [&] { std::filesystem::create_directory(request); }},
    };
    const int descriptors = OpenDescriptors();
    for (const Case& c : cases) {
        c.make();
        const auto logged = LogMessages(log.Read().value_or("")).size();
        runner->ProcessRequestFile(request);
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(request))) << c.name;
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(bad))) << c.name;
        EXPECT_EQ(Status(), "-1,-1\r\n") << c.name;
        const auto messages = LogMessages(log.Read().value_or(""));
        ASSERT_EQ(messages.size(), logged + 2) << c.name; // why, and the pair
        EXPECT_EQ(messages[logged].rfind("Soubor požadavků nelze převzít"_cp, 0), 0u)
            << messages[logged];
        EXPECT_NE(messages[logged].find(bad), std::string::npos);
    }
    EXPECT_EQ(log.Read()->find("secret"), std::string::npos);
    EXPECT_EQ(read_file(secret), "TERM1\r\nsecret\r\n");
    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_TRUE(FramesSinceOpen().empty());
    far.Script({{kAckByte}});
    runner->ProcessRequestFile(Request("TERM1\r\nO00\r\n"));
    EXPECT_EQ(Status(), "1,0\r\n");
    EXPECT_EQ(FramesSinceOpen().size(), 1u);
}

TEST_F(Runner, ALineHoldingANulIsNotSentAndCountsAsAFailedCommand) {
    Open();
    for (const bool endOnFailure : {false, true}) {
        console.endJobOnFailure = endOnFailure;
        far.Script({{kAckByte}});
        const std::size_t before = far.Frames().size();
        runner->ProcessRequestFile(Request(std::string("TERM1\r\nN\0X\r\n\0\r\nO00\r\n", 18)));
        const auto frames = far.Frames();
        ASSERT_EQ(frames.size() - before, endOnFailure ? 0u : 1u);
        if (!endOnFailure) {
            EXPECT_EQ(frames.back()[2], 'O');
        }
        EXPECT_EQ(Status(), endOnFailure ? "0,0\r\n" : "1,0\r\n");
    }
    // Two NUL lines in the first job, the first of them in the second.
    EXPECT_EQ(CountOf(LogMessages(*log.Read()), "Příkaz se znakem NUL"_cp), 3);
}

TEST_F(Runner, ATakenRequestKeepsItsWorkNameUntilItsStatusIsWrittenAndIsNeverRunAgain) {
    Open();
    // The status cannot be written: a directory stands where its temporary file goes.
    std::filesystem::create_directories(dir.path() / "rexcom.sta.new" / "x");
    far.Script({{kAckByte}});
    runner->ProcessRequestFile(Request("TERM1\r\nO00\r\n"));
    EXPECT_EQ(FramesSinceOpen().size(), 1u);
    EXPECT_FALSE(file_exists(dir.file("request.cfg")));
    EXPECT_EQ(read_file(dir.file("request.cfg.job")), "TERM1\r\nO00\r\n");

    // The next start finds it, says so and reports the failure.
    std::filesystem::remove_all(dir.file("rexcom.sta.new"));
    runner->ReportUnfinishedJob(dir.file("request.cfg"));
    EXPECT_EQ(Status(), "-1,-1\r\n");
    EXPECT_FALSE(file_exists(dir.file("request.cfg.job")));
    EXPECT_EQ(FramesSinceOpen().size(), 1u) << "an unfinished job runs again";
    EXPECT_EQ(CountOf(LogMessages(*log.Read()), "Úloha ze souboru požadavků nebyla"_cp), 1);
    runner->ReportUnfinishedJob(dir.file("request.cfg"));
    EXPECT_EQ(CountOf(LogMessages(*log.Read()), "Úloha ze souboru požadavků nebyla"_cp), 1);
}

TEST_F(Runner, AStatusThatCannotBeWrittenIsWrittenLateAndHoldsTheNextRequestBack) {
    Open();
    ASSERT_TRUE(write_file(dir.file("rexcom.sta"), "7,7\r\n")); // the last job's
    std::filesystem::create_directories(dir.path() / "rexcom.sta.new" / "x");
    far.Script({{kAckByte}, {kAckByte}});
    runner->ProcessRequestFile(Request("TERM1\r\nO00\r\n"));
    EXPECT_FALSE(file_exists(dir.file("rexcom.sta")))
        << "the last job's pair is left as this one's";
    EXPECT_TRUE(file_exists(dir.file("request.cfg.job")));

    // The next request waits: taking it would bury the unreported job.
    const std::string next = Request("TERM1\r\nO11\r\n");
    runner->ProcessRequestFile(next);
    runner->ProcessRequestFile(next);
    EXPECT_TRUE(file_exists(next));
    EXPECT_EQ(FramesSinceOpen().size(), 1u);
    EXPECT_FALSE(runner->ReportPendingStatus(next));

    // The directory takes files again: the pair comes out, then the request.
    std::filesystem::remove_all(dir.file("rexcom.sta.new"));
    EXPECT_TRUE(runner->ReportPendingStatus(next));
    EXPECT_EQ(Status(), "1,0\r\n");
    EXPECT_FALSE(file_exists(dir.file("request.cfg.job")));
    runner->ProcessRequestFile(next);
    EXPECT_EQ(FramesSinceOpen().size(), 2u);
    EXPECT_EQ(Status(), "1,0\r\n");
    const auto logged = LogMessages(*log.Read());
    EXPECT_EQ(CountOf(logged, "Stav úlohy bude zapsán"_cp), 1);
    EXPECT_EQ(CountOf(logged, "Další požadavek čeká"_cp), 1);
    EXPECT_EQ(CountOf(logged, "Stav úlohy dodatečně zapsán: 1,0"_cp), 1);
}

TEST_F(Runner, AStopRequestEndsTheJobAfterItsCurrentCommandWithAFailurePair) {
    Open();
    console.attempts = 9; // nothing answers: nine attempts, a second apart
    std::thread stopper([&] {
        WaitUntil([&] { return FramesSinceOpen().size() == 1; }, 10000);
        flags.StopRequested = true;
    });
    runner->ProcessRequestFile(Request("TERM1\r\nO00\r\nO11\r\n"));
    stopper.join();
    EXPECT_EQ(FramesSinceOpen().size(), 1u);
    EXPECT_EQ(Status(), "-1,-1\r\n");
    EXPECT_FALSE(file_exists(dir.file("request.cfg.job")));
    EXPECT_EQ(CountOf(LogMessages(*log.Read()), "Úloha nedokončena"_cp), 1);
}

TEST_F(Runner, AnOutputFileThatCannotBeWrittenEndsTheJobWithAFailurePair) {
    Open();
    std::filesystem::create_directory(dir.file("output.txt"));
    far.Script({{kAckByte}});
    runner->ProcessRequestFile(Request("TERM1\r\nO00\r\n"));
    EXPECT_EQ(Status(), "-1,-1\r\n");
    EXPECT_FALSE(file_exists(dir.file("request.cfg.job")));
}

namespace {

// The calling thread without the right to raise its priority, as a service's
// unit leaves it (no CAP_SYS_NICE), until the object goes.
class PriorityNotRaisable {
public:
    PriorityNotRaisable() {
        syscall(SYS_capget, &header_, saved_);
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        lowered[CAP_TO_INDEX(CAP_SYS_NICE)].effective &= ~CAP_TO_MASK(CAP_SYS_NICE);
        syscall(SYS_capset, &header_, lowered);
    }
    ~PriorityNotRaisable() { syscall(SYS_capset, &header_, saved_); }
    PriorityNotRaisable(const PriorityNotRaisable&) = delete;
    PriorityNotRaisable& operator=(const PriorityNotRaisable&) = delete;

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
};

} // namespace

TEST_F(Runner, AHighPriorityTheSystemRefusesIsSaidOnce) {
    Open();
    const PriorityNotRaisable refused;
    const int noted = current_priority();
    if (raise_priority()) {
        restore_priority(noted);
        GTEST_SKIP() << "this system lets the priority be raised without the right to";
    }
    console.highPriority = true;
    far.Script({{kAckByte}, {kAckByte}});
    runner->ProcessRequestFile(Request("TERM1\r\nO00\r\nO11\r\n"));
    EXPECT_EQ(Status(), "2,0\r\n") << "the job runs at the priority it has";
    const auto messages = LogMessages(log.Read().value_or(""));
    EXPECT_EQ(std::count(messages.begin(), messages.end(),
                         "Priorita komunikace HIGH_PRIORITY: syst\xE9m zv\xFD\x9A"
                         "en\xED "
                         "priority nepovolil"),
              1);
}

TEST_F(Runner, ARequestThatStillChangesDuringItsJobReportsAFailurePair) {
    Open();
    // Something still writes to the request after it was taken (on a
    // directory where writers cannot be known): the job ran from a part.
    const std::string job = dir.file("request.cfg.job");
    Reply slowAck{kAckByte};
    slowAck.turnaroundMs = 300; // the job is surely still running meanwhile
    far.Script({slowAck});
    const std::size_t before = far.Frames().size();
    bool written = false;
    std::thread writer([&] {
        WaitUntil([&] { return far.Frames().size() > before; }, 10000);
        written = append_file(job, "O11\r\n");
    });
    runner->ProcessRequestFile(Request("TERM1\r\nO00\r\n"));
    writer.join();
    EXPECT_TRUE(written);
    EXPECT_EQ(Status(), "-1,-1\r\n");
    EXPECT_FALSE(file_exists(job));
    EXPECT_EQ(CountOf(LogMessages(*log.Read()), "Soubor požadavků se během úlohy změnil"_cp), 1);
}

TEST_F(Runner, AReceiptIsWrittenWhereAskedForOnceTheFinalStatusIsOutAndBeforeTheFileGoes) {
    Open();
    const std::string request = dir.file("request.cfg");
    // Asks for the receipt of the request file as it stands now.
    const auto ask = [&](const std::string& content) {
        EXPECT_TRUE(write_file(request, content));
        const std::string receipt = ReceiptPath(request, *file_identity(request));
        EXPECT_TRUE(write_file(receipt, ""));
        return receipt;
    };
    const auto receiptOf = [](const std::string& receipt) {
        return ParseReceipt(read_file(receipt).value_or(""));
    };

    // A job's pair and its output file; a receipt asked for by another file
    // (a client whose request is not taken yet) stays empty.
    const std::string other = dir.file("other");
    ASSERT_TRUE(write_file(other, "x"));
    const std::string otherReceipt = ReceiptPath(request, *file_identity(other));
    ASSERT_TRUE(write_file(otherReceipt, ""));
    Bytes two = PersonRecord('R');
    const Bytes second = PersonRecord('Z');
    two.insert(two.end(), second.begin(), second.end());
    far.Script({{AckWith(two)}});
    std::string receipt = ask("TERM1\r\nP\r\n");
    runner->ProcessRequestFile(request);
    EXPECT_EQ(Status(), "1,2\r\n");
    const auto download = receiptOf(receipt);
    EXPECT_EQ(download, (JobReceipt{1, 2, *read_file(dir.file("output.txt")),
                                    RequestDigest("TERM1\r\nP\r\n")}));
    ASSERT_TRUE(download);
    EXPECT_EQ(split_text_lines(download->output).size(), 2u);
    EXPECT_EQ(read_file(otherReceipt), "");

    // A status that cannot be written: no receipt until it is, then the
    // pair and the output of that job.
    std::filesystem::create_directories(dir.path() / "rexcom.sta.new" / "x");
    far.Script({{kAckByte}});
    receipt = ask("TERM1\r\nO00\r\n");
    runner->ProcessRequestFile(request);
    EXPECT_EQ(read_file(receipt), "");
    std::filesystem::remove_all(dir.file("rexcom.sta.new"));
    ASSERT_TRUE(runner->ReportPendingStatus(request));
    EXPECT_EQ(receiptOf(receipt), (JobReceipt{1, 0, "", RequestDigest("TERM1\r\nO00\r\n")}));

    // A job the last run left unfinished, and a request that cannot be taken.
    receipt = ask("TERM1\r\nO00\r\n");
    ASSERT_TRUE(rename_over(request, request + ".job"));
    runner->ReportUnfinishedJob(request);
    EXPECT_EQ(receiptOf(receipt), (JobReceipt{-1, -1, "", std::nullopt}));
    const std::string lines(kMaxCommandFileLines + 1, '\n');
    receipt = ask(lines);
    runner->ProcessRequestFile(request);
    EXPECT_TRUE(file_exists(request + ".bad"));
    EXPECT_EQ(receiptOf(receipt), (JobReceipt{-1, -1, "", RequestDigest(lines)}));

    // Nobody asked: the host's jobs leave nothing behind.
    const auto files = [&] {
        std::set<std::filesystem::path> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            names.insert(entry.path());
        }
        return names;
    };
    const auto before = files();
    far.Script({{kAckByte}});
    runner->ProcessRequestFile(Request("TERM1\r\nO11\r\n"));
    EXPECT_EQ(Status(), "1,0\r\n");
    EXPECT_EQ(files(), before);
}
