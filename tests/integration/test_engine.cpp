// The engine with its watcher on real time: request files taken over from the
// data path, one job at a time, and the shutdown. The test's thread plays the
// shell's main thread.
#include "engine/Engine.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Path.h"
#include "platform/SingleInstance.h"
#include "platform/TextLines.h"
#include "serial/PortDevices.h"
#include "support/LogMessages.h"
#include "support/RecordingConsole.h"
#include "support/ScriptedTerminal.h"
#include "support/TempDir.h"
#include "support/TestIni.h"
#include "support/WaitUntil.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <thread>
#include <vector>

using namespace kelmora;
using namespace kelmora::testing;

namespace {

constexpr int kCom = 11;
const Bytes kAckByte = {0x06};

class EngineRun : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(
            WriteIni(dir.file("kelmora.ini"), dir.str(), {{0, 1, kCom}}, {{kCom, pty.path()}}));
        StartEngine(EngineOptions{}.watcher);
    }
    void StartEngine(WatcherTiming watcher) {
        engine.reset();
        far.Script({{kAckByte}}); // the probe at start
        EngineOptions options;
        options.iniPath = dir.file("kelmora.ini");
        options.startDirectory = dir.str();
        options.watcher = watcher;
        engine = std::make_unique<Engine>(console, std::move(options));
        engine->LoadConfiguration();
        engine->LogStart();
        engine->OpenTerminals();
        ASSERT_EQ(console.indicators[0], IndicatorState::Slave);
        engine->StartWatcher("request.cfg");
    }
    void TearDown() override {
        engine.reset();
        clear_port_devices();
    }

    // Plays the shell's loop until `done` holds.
    template <typename Done>
    bool Pump(Done done) {
        return WaitUntil(done, 15000, [&] { engine->RunHandOvers(); });
    }
    std::string Request() const { return dir.file("request.cfg"); }
    std::optional<std::string> Status() const { return read_file(dir.file("rexcom.sta")); }
    std::vector<std::string> Logged() const {
        return LogMessages(engine->Log().Read().value_or(""));
    }

    TempDir dir;
    PtyPair pty;
    ScriptedTerminal far{pty};
    RecordingConsole console;
    std::unique_ptr<Engine> engine;
};

} // namespace

TEST_F(EngineRun, RequestFileIsTakenOverAndAnswered) {
    far.Script({{kAckByte}});
    ASSERT_TRUE(write_file(Request(), "TERM1\r\nO00\r\n"));
    ASSERT_TRUE(Pump([&] { return Status() == "1,0\r\n" && !file_exists(Request()); }));
    EXPECT_EQ(read_file(dir.file("output.txt")), "");
    ASSERT_FALSE(far.Frames().empty());
    EXPECT_EQ(far.Frames().back()[2], 'O');
}

TEST_F(EngineRun, NoRequestFileIsTakenDuringAnOperatorsJob) {
    bool sawFileDuringJob = false;
    console.onEvents = [&] {
        // The shell's loop keeps turning inside the job: hand-overs must wait.
        engine->RunHandOvers();
        sawFileDuringJob = sawFileDuringJob || file_exists(Request());
    };
    ASSERT_TRUE(write_file(Request(), "O11\r\n"));
    far.Script({{kAckByte}, {kAckByte}});
    engine->SendCommandLine("O00");
    console.onEvents = nullptr;
    EXPECT_TRUE(sawFileDuringJob);
    EXPECT_TRUE(file_exists(Request()));
    EXPECT_EQ(Status(), "1,0\r\n"); // the operator's job
    ASSERT_TRUE(Pump([&] { return !file_exists(Request()); }));
    ASSERT_TRUE(Pump([&] { return far.Frames().size() >= 3; }));
    EXPECT_EQ(far.Frames()[1][2], 'O');
    EXPECT_EQ(far.Frames()[1][3], '0');
    EXPECT_EQ(far.Frames()[2][3], '1');
}

TEST_F(EngineRun, AFileWrittenALineAtATimeIsNotCut) {
    // A script's writer closes the file between its lines. A second of quiet
    // after each close: the writer's pauses must stay shorter than it, also on
    // a machine too busy to wake the writer on time.
    StartEngine({.lookMs = 100, .quietMs = 1000});
    std::vector<Reply> acks(20, Reply{kAckByte});
    far.Script(acks);
    std::thread writer([&] {
        for (int i = 0; i < 20; ++i) {
            append_file(Request(), "N00\r\n");
            sleep_ms(60);
        }
    });
    ASSERT_TRUE(Pump([&] { return !file_exists(Request()) && Status().has_value(); }));
    writer.join();
    EXPECT_EQ(Status(), "20,0\r\n");
}

TEST_F(EngineRun, ADataPathThatCannotBeWrittenIsLoggedOnceAndServedOnceItCanBe) {
    // Missing at the start: the host makes it later.
    const std::string data = dir.file("data");
    ASSERT_TRUE(WriteIni(dir.file("kelmora.ini"), data, {{0, 1, kCom}}, {{kCom, pty.path()}}));
    StartEngine(EngineOptions{}.watcher);
    const std::string missing = "Do datov\xE9ho adres\xE1\xF8"
                                "e " +
                                data +
                                " nelze zapisovat (neexistuje): soubory po\x9E"
                                "adavk\xF9 se "
                                "nep\xF8"
                                "eb\xEDraj\xED";
    const auto atStart = Logged();
    EXPECT_NE(std::find(atStart.begin(), atStart.end(), missing), atStart.end());
    std::filesystem::create_directory(data);
    far.Script({{kAckByte}});
    ASSERT_TRUE(write_file(join_path(data, "request.cfg"), "TERM1\r\nO00\r\n"));
    ASSERT_TRUE(Pump([&] { return read_file(join_path(data, "rexcom.sta")) == "1,0\r\n"; }));
    const auto log = Logged();
    EXPECT_EQ(std::count(log.begin(), log.end(), missing), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(),
                         "Do datov\xE9ho adres\xE1\xF8"
                         "e " +
                             data + " lze op\xECt zapisovat"),
              1);

    // Refused while the program runs (an immutable directory: needs root on
    // ext4): the request file waits, said once, not at every poll.
    const int fd = open(data.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    int flags = 0;
    ASSERT_EQ(ioctl(fd, FS_IOC_GETFLAGS, &flags), 0);
    ASSERT_TRUE(write_file(join_path(data, "request.cfg"), "TERM1\r\nO11\r\n"));
    const int immutable = flags | FS_IMMUTABLE_FL;
    if (ioctl(fd, FS_IOC_SETFLAGS, &immutable) != 0) {
        close(fd);
        GTEST_SKIP() << "cannot make the data directory immutable here (needs root on ext4)";
    }
    int looks = 0;
    ASSERT_TRUE(WaitUntil([&] { return looks >= 3; }, 15000,
                          [&] {
                              looks += engine->HandOvers().HasPending() ? 1 : 0;
                              engine->RunHandOvers();
                          }));
    ioctl(fd, FS_IOC_SETFLAGS, &flags);
    close(fd);
    const auto refused = Logged();
    EXPECT_EQ(std::count(refused.begin(), refused.end(),
                         "Do datov\xE9ho adres\xE1\xF8"
                         "e " +
                             data +
                             " nelze zapisovat (p\xF8\xEDstup odep\xF8"
                             "en): soubory po\x9E"
                             "adavk\xF9 se nep\xF8"
                             "eb\xEDraj\xED"),
              1);
    EXPECT_EQ(std::count(refused.begin(), refused.end(),
                         "Nelze vymazat soubor po\x9E"
                         "adavk\xF9"),
              0);
    far.Script({{kAckByte}});
    ASSERT_TRUE(Pump([&] { return !file_exists(join_path(data, "request.cfg")); }));
    ASSERT_TRUE(Pump([&] { return far.Frames().back()[3] == '1'; }));
}

TEST_F(EngineRun, ALostMarkIsTakenAgainAtTheNextLookOrSaidToBeAnotherCopys) {
    // The data directory removed and made again under the running program:
    // its lock file goes with it.
    const std::string lockFile = dir.file("kelmora.lock");
    const std::string takenAgain = "Z\xE1mek " + lockFile +
                                   " p\xF8"
                                   "evzat znovu";
    const std::string elsewhere = "Z\xE1mek " + lockFile +
                                  " dr\x9E\xED jin\xE1 kopie programu: soubory po\x9E"
                                  "adavk\xF9 se nep\xF8"
                                  "eb\xEDraj\xED";
    ASSERT_TRUE(remove_file(lockFile));
    far.Script({{kAckByte}});
    ASSERT_TRUE(write_file(Request(), "TERM1\r\nO00\r\n"));
    ASSERT_TRUE(Pump([&] { return Status() == "1,0\r\n" && !file_exists(Request()); }));
    const auto log = Logged();
    EXPECT_EQ(std::count(log.begin(), log.end(), takenAgain), 1);
    EXPECT_FALSE(SingleInstance("kelmora", dir.str()).Held()) << "the lock keeps out again";

    // This time another copy took the directory first: no request file is
    // taken while it holds it.
    ASSERT_TRUE(remove_file(lockFile));
    auto other = std::make_unique<SingleInstance>("kelmora", dir.str());
    ASSERT_TRUE(other->Held());
    ASSERT_TRUE(write_file(Request(), "TERM1\r\nO11\r\n"));
    int looks = 0;
    ASSERT_TRUE(WaitUntil([&] { return looks >= 2; }, 15000,
                          [&] {
                              looks += engine->HandOvers().HasPending() ? 1 : 0;
                              engine->RunHandOvers();
                          }));
    EXPECT_TRUE(file_exists(Request()));
    const auto refused = Logged();
    EXPECT_EQ(std::count(refused.begin(), refused.end(), elsewhere), 1);
    other.reset();
    far.Script({{kAckByte}});
    ASSERT_TRUE(Pump([&] { return !file_exists(Request()); }));
    const auto served = Logged();
    EXPECT_EQ(std::count(served.begin(), served.end(), takenAgain), 2);
}

TEST_F(EngineRun, ShutdownDropsAWaitingHandOverAndLogsStopLast) {
    ASSERT_TRUE(write_file(Request(), "O00\r\n"));
    // Nobody runs the hand-over: the watcher waits for it when the shutdown comes.
    const std::uint32_t start = tick_ms();
    while (!engine->HandOvers().HasPending() && elapsed_ms(start) < 5000) {
        sleep_ms(5);
    }
    ASSERT_TRUE(engine->HandOvers().HasPending());
    engine->Shutdown();
    EXPECT_TRUE(file_exists(Request())); // left for the next start
    const auto log = Logged();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "Start programu");
    EXPECT_EQ(log.back(), "Stop programu");
}

TEST_F(EngineRun, ASecondEngineOnTheSameDataPathDoesNothing) {
    // Another user's copy: its own start directory, the same data path.
    std::filesystem::create_directory(dir.path() / "other");
    RecordingConsole otherConsole;
    EngineOptions options;
    options.iniPath = dir.file("kelmora.ini");
    options.startDirectory = dir.file("other");
    Engine second(otherConsole, std::move(options));
    second.LoadConfiguration();
    EXPECT_TRUE(second.SecondCopy());
    EXPECT_FALSE(engine->SecondCopy());
    second.LogStart();
    second.OpenTerminals();
    second.StartWatcher("request.cfg");
    EXPECT_FALSE(otherConsole.indicators[0].has_value()) << "no port was opened";

    far.Script({{kAckByte}});
    ASSERT_TRUE(write_file(Request(), "TERM1\r\nO00\r\n"));
    ASSERT_TRUE(Pump([&] { return Status() == "1,0\r\n" && !file_exists(Request()); }));
    second.Shutdown();
    EXPECT_FALSE(file_exists(join_path(dir.file("other"), "errorlog.txt")));
}

TEST_F(EngineRun, AStopCutsADownloadShortAndIsToldAtOnce) {
    int told = 0;
    engine->OnStopRequest([&] { ++told; });
    Bytes block = {0x06};
    for (int i = 0; i < 200; ++i) {
        block.insert(block.end(), {'R', 0, static_cast<std::uint8_t>(i), 1, 2, 3, 4, '0'});
        block.insert(block.end(), 16, 0x46);
    }
    Reply slow{block};
    slow.chunk = 24;
    slow.gapMs = 10; // two seconds of answer
    far.Script({slow});
    ASSERT_TRUE(write_file(dir.file("binarni.bin"), "an earlier answer"));
    ASSERT_TRUE(write_file(Request(), "TERM1\r\nP\r\n"));
    std::thread stopper([&] {
        WaitUntil([&] { return far.RepliedBytes() > 240; }, 10000);
        engine->RequestStop();
        engine->RequestStop();
    });
    const bool reported = Pump([&] { return Status() == "-1,-1\r\n"; });
    const std::size_t replied = far.RepliedBytes();
    stopper.join();
    ASSERT_TRUE(reported) << Status().value_or("no status");
    EXPECT_EQ(told, 1);
    EXPECT_LT(replied, block.size()) << "the stop waited for the whole answer";
    EXPECT_EQ(read_file(dir.file("binarni.bin")).value_or("missing").size(), 0u);
    EXPECT_FALSE(file_exists(Request() + ".job"));
}

namespace {

// Writes `content` through one open file as a host does, stopping for
// `pauseMs` after each of `pieces` (cut anywhere, in the middle of a line
// too); as user `uid` when it is not -1, in a process of its own.
void WriteSlowly(const std::string& path, const std::string& content, std::size_t pieces,
                 std::uint32_t pauseMs, int uid = -1) {
    const auto write = [&] {
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) {
            return false;
        }
        const std::size_t size = (content.size() + pieces - 1) / pieces;
        bool ok = true;
        for (std::size_t at = 0; at < content.size() && ok; at += size) {
            if (at > 0) {
                sleep_ms(pauseMs);
            }
            const std::string piece = content.substr(at, size);
            ok = ::write(fd, piece.data(), piece.size()) == static_cast<ssize_t>(piece.size());
        }
        return close(fd) == 0 && ok;
    };
    if (uid < 0) {
        ASSERT_TRUE(write());
        return;
    }
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        _exit(setgid(static_cast<gid_t>(uid)) == 0 && setuid(static_cast<uid_t>(uid)) == 0 &&
                      write()
                  ? 0
                  : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other user could not write";
}

} // namespace

// However the host writes its request, the job runs once, from the whole file.
TEST_F(EngineRun, ARequestIsTakenWholeHoweverItsWriterPauses) {
    constexpr int kNobody = 65534;
    std::string job = "TERM1\r\n";
    for (int i = 0; i < 30; ++i) {
        job += "N" + std::string(90, static_cast<char>('a' + i % 26)) + "\r\n"; // 3 KiB
    }
    struct Case {
        const char* name;
        std::size_t pieces;
        std::uint32_t pauseMs;
        int uid;
        bool renamed;
    };
    const Case cases[] = {
        {"a writer that stops for a second in the middle of a line", 2, 1000, -1, false},
        {"a writer that stops for three seconds", 2, 3000, -1, false},
        {"a copy in 1 KiB pieces, half a second apart", 3, 500, -1, false},
        {"a writer of another user", 2, 1000, kNobody, false},
        {"written under another name and renamed", 3, 500, -1, true},
    };
    if (getuid() != 0) {
        GTEST_SKIP() << "another user's writer needs root";
    }
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        remove_file(dir.file("rexcom.sta"));
        far.Script(std::vector<Reply>(40, Reply{kAckByte})); // a re-test's probe too
        const std::size_t before = far.Frames().size();
        const std::string target = c.renamed ? Request() + ".part" : Request();
        std::thread writer([&] { WriteSlowly(target, job, c.pieces, c.pauseMs, c.uid); });
        const auto answered = [&] {
            return Status() == "30,0\r\n" && !file_exists(Request() + ".job");
        };
        if (c.renamed) {
            writer.join();
            ASSERT_TRUE(rename_over(target, Request()));
        }
        // The shell's loop turns while the writer writes: a file taken too
        // early would send a cut line and lose the rest.
        const bool done = Pump(answered);
        if (writer.joinable()) {
            writer.join();
        }
        ASSERT_TRUE(done) << Status().value_or("no status");
        std::vector<Bytes> sent;
        for (std::size_t i = before; i < far.Frames().size(); ++i) {
            if (far.Frames()[i][2] == 'N') {
                sent.push_back(far.Frames()[i]);
            }
        }
        ASSERT_EQ(sent.size(), 30u);
        for (std::size_t i = 0; i < sent.size(); ++i) {
            EXPECT_EQ(sent[i].size(), 94u) << "line " << i + 1;
            EXPECT_EQ(sent[i][3], 'a' + i % 26) << "line " << i + 1;
        }
        EXPECT_FALSE(file_exists(Request()));
    }
}
