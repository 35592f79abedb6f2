// The link layer and the answer reading of one terminal, over a real pty
// whose far side the test scripts byte for byte.
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/TextLines.h"
#include "serial/Customport.h"
#include "serial/LineTrace.h"
#include "serial/PortDevices.h"
#include "support/RecordingHost.h"
#include "support/ScriptedTerminal.h"
#include "support/TempDir.h"
#include "support/WaitUntil.h"
#include "terminal/ExecuteCommand.h"
#include "terminal/Tobrin.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace kelmora;
using namespace kelmora::testing;

namespace {

constexpr std::int32_t kCom = 6;
const Bytes kAckByte = {0x06};
const Bytes kPoll = {0x10, 0x04, 0x55, 0x69};

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& p : parts) {
        all.insert(all.end(), p.begin(), p.end());
    }
    return all;
}

Bytes PersonRecord(char letter, int number = 0x0102) {
    Bytes r = {static_cast<std::uint8_t>(letter),
               static_cast<std::uint8_t>(number >> 8),
               static_cast<std::uint8_t>(number),
               0x12,
               0x34,
               0x56,
               0x78,
               '0'};
    r.insert(r.end(), 14, 0x46);
    r.insert(r.end(), 2, 0);
    return r;
}

// `count` R records numbered from 0.
Bytes Records(int count) {
    Bytes all;
    for (int i = 0; i < count; ++i) {
        const Bytes r = PersonRecord('R', i);
        all.insert(all.end(), r.begin(), r.end());
    }
    return all;
}

// The reader held up, as on a busy PC or a paused machine: the port's waits
// run the idle hook on every pass, and this one sleeps once, on its first
// pass after `when()` holds, while the far side goes on sending.
class HeldUpReader {
public:
    HeldUpReader(std::uint32_t ms, std::function<bool()> when) {
        holdMs_ = ms;
        when_ = std::move(when);
        held_ = false;
        set_idle_hook(&Hook);
    }
    ~HeldUpReader() {
        set_idle_hook(nullptr);
        when_ = nullptr;
    }
    HeldUpReader(const HeldUpReader&) = delete;
    HeldUpReader& operator=(const HeldUpReader&) = delete;

    static bool Held() { return held_; }

private:
    static int Hook(PortRecord*) {
        if (!held_ && when_()) {
            held_ = true;
            sleep_ms(holdMs_);
        }
        return 0;
    }
    static inline std::uint32_t holdMs_ = 0;
    static inline std::function<bool()> when_;
    static inline bool held_ = false;
};

// The process held up right after it queued a frame, before the link code
// runs again: a quick terminal's acknowledgement is already waiting then.
class HeldUpAfterWriting {
public:
    HeldUpAfterWriting(TSer_Port& line, std::uint32_t ms) : port_(line.Driver) {
        holdMs_ = ms;
        original_ = port_->write_block;
        port_->write_block = &Write;
    }
    ~HeldUpAfterWriting() { port_->write_block = original_; }
    HeldUpAfterWriting(const HeldUpAfterWriting&) = delete;
    HeldUpAfterWriting& operator=(const HeldUpAfterWriting&) = delete;

private:
    static int Write(PortRecord* port, const std::uint8_t* data, std::uint32_t n) {
        const int result = original_(port, data, n);
        sleep_ms(holdMs_);
        return result;
    }
    PortRecord* port_;
    static inline std::uint32_t holdMs_ = 0;
    static inline int (*original_)(PortRecord*, const std::uint8_t*, std::uint32_t) = nullptr;
};

class Link : public ::testing::Test {
protected:
    void SetUp() override {
        MarkParity = false;
        LineLeadUs = 50;
        LineTailUs = 6700;
        set_port_device(kCom, pty.path());
        line = std::make_unique<TSer_Port>(kCom, 19200);
        ASSERT_TRUE(line->IsOpen);
    }
    void TearDown() override {
        terminal.reset();
        line.reset();
        clear_port_devices();
    }

    TTobrin& Terminal(int address, std::size_t memory = 1000) {
        terminal = std::make_unique<TTobrin>(*line, address, memory, host);
        return *terminal;
    }
    // The line writes its trace to TracePath() from now on.
    void TraceTheLine() {
        std::string error;
        ASSERT_TRUE(trace.Open(TracePath(), LineTrace::kDefaultLimit, error)) << error;
        line->Trace = &trace;
    }
    std::string TracePath() const { return traceDir.file("line.trace"); }

    // A MASTER that polls every 50 ms, found by the presence test; or a SLAVE.
    void TakeRole(TTobrin& t, bool master) {
        if (master) {
            far.PollEvery(50);
            ASSERT_TRUE(t.Detect(true));
            ASSERT_TRUE(t.IsMaster());
        } else {
            t.SlaveFlag = true;
        }
    }

    TTobrin& Slave(int address = 1, std::size_t memory = 1000) {
        TTobrin& t = Terminal(address, memory);
        t.SlaveFlag = true;
        return t;
    }

    PtyPair pty;
    ScriptedTerminal far{pty};
    RecordingHost host;
    std::unique_ptr<TSer_Port> line;
    std::unique_ptr<TTobrin> terminal;
    TempDir traceDir;
    LineTrace trace;
};

} // namespace

TEST_F(Link, FramesCarryAddressLengthPayloadAndChecksum) {
    far.Script({{kAckByte}, {kAckByte}});
    EXPECT_EQ(ExecuteCommand(Slave(2), "S"), CommandOutcome::Done);
    // 97 payload bytes fill a 100-byte frame.
    EXPECT_EQ(ExecuteCommand(*terminal, std::string(97, 'x')), CommandOutcome::Done);
    const auto frames = far.Frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], (Bytes{0x02, 0x04, 0x53, 0x59}));
    ASSERT_EQ(frames[1].size(), 100u);
    EXPECT_EQ(frames[1][1], 0x64);
    EXPECT_EQ(frames[1][99], static_cast<std::uint8_t>(2 + 100 + 97 * 'x'));
    EXPECT_EQ(terminal->AckCount, 2);
}

TEST_F(Link, SlaveProbesWrapTheirChecksum) {
    struct Case {
        int address;
        Bytes probe;
    };
    for (const Case& c :
         {Case{1, {0x01, 0x04, 0x41, 0x46}}, Case{0xFF, {0xFF, 0x04, 0x41, 0x44}}}) {
        far.Script({{kAckByte}});
        EXPECT_TRUE(Terminal(c.address).Detect(true));
        EXPECT_TRUE(terminal->IsSlave());
        ASSERT_FALSE(far.Frames().empty());
        EXPECT_EQ(far.Frames().back(), c.probe);
    }
}

TEST_F(Link, PollFrameCountsOnlyWhenAllFourBytesMatch) {
    TTobrin& t = Terminal(1);
    std::thread late([&] {
        sleep_ms(30);
        far.Send({0x10, 0x04, 0x10, 0x04, 0x55, 0x69});
    });
    EXPECT_TRUE(t.Detect(true));
    late.join();
    EXPECT_TRUE(t.IsMaster());
    EXPECT_TRUE(far.Frames().empty()); // MASTER without a probe

    late = std::thread([&] {
        sleep_ms(30);
        far.Send({0x10, 0x04, 0x55, 0x68});
    });
    EXPECT_FALSE(t.Detect(true)); // no poll frame, and nobody answers the probe
    late.join();
    EXPECT_FALSE(t.IsPresent());
    // Exactly one probe frame went out.
    EXPECT_EQ(far.Received(), (Bytes{0x01, 0x04, 0x41, 0x46}));
}

TEST_F(Link, NakOrSilenceFailsTheCommand) {
    far.Script({{{0x15}}});
    EXPECT_EQ(ExecuteCommand(Slave(), "Y"), CommandOutcome::Failed);
    EXPECT_EQ(ExecuteCommand(*terminal, "Y"), CommandOutcome::Failed);
    EXPECT_EQ(terminal->AckCount, 0);
    EXPECT_EQ(far.Frames().size(), 2u);
}

TEST_F(Link, ClearIsFollowedByThreeSecondsAnsweredOrNot) {
    TTobrin& t = Slave();
    const std::uint32_t start = tick_ms();
    CommandBuffer text = *MakeCommandBuffer("C");
    EXPECT_EQ(t.SendCommand(text), 1); // nobody answers
    EXPECT_GE(elapsed_ms(start), 3000u);
}

TEST_F(Link, MasterThatStopsPollingAfterOBecomesSlaveWithoutAProbe) {
    far.PollEvery(40);
    TTobrin& t = Terminal(1);
    ASSERT_TRUE(t.Detect(true));
    ASSERT_TRUE(t.IsMaster());
    far.Script({{kAckByte, true}});
    EXPECT_EQ(ExecuteCommand(t, "O00"), CommandOutcome::Done);
    EXPECT_TRUE(t.IsSlave());
    ASSERT_EQ(far.Frames().size(), 1u); // the O00 frame only
    EXPECT_EQ(far.Frames()[0][2], 'O');
}

TEST_F(Link, LineThatDidNotOpenKeepsItsTerminalsAbsentAndSilent) {
    PtyPair other;
    ScriptedTerminal otherFar(other);
    set_port_device(kCom + 1, other.path());
    TSer_Port refused(kCom + 1, 115201); // a speed the driver refuses
    ASSERT_FALSE(refused.IsOpen);
    TTobrin t(refused, 1, 100, host);
    EXPECT_FALSE(t.Detect(true));
    CommandBuffer text = *MakeCommandBuffer("S");
    EXPECT_EQ(t.SendCommand(text), 1);
    sleep_ms(50);
    EXPECT_TRUE(otherFar.Received().empty());
}

TEST_F(Link, NoiseThatNeverFormsAPollFrameCannotHoldListeningForever) {
    std::atomic<bool> noisy{true};
    std::thread noise([&] {
        while (noisy) {
            far.Send({0x10});
            sleep_ms(20);
        }
    });
    TTobrin& t = Terminal(1);
    const std::uint32_t start = tick_ms();
    EXPECT_FALSE(t.ListenForPoll());
    const std::uint32_t took = elapsed_ms(start);
    noisy = false;
    noise.join();
    // Bytes kept coming faster than the silence limit: only the overall bound
    // ended it (generous margin: the fault caught here is a hang).
    EXPECT_GE(took, kListenLimitMs);
    EXPECT_LT(took, 10 * kListenLimitMs);
}

TEST_F(Link, DataCommandAcknowledgedThenSilence) {
    TempDir dir;
    host.settings.BinaryOutput = true;
    host.settings.DataPath = dir.str();
    ASSERT_TRUE(write_file(dir.file("binarni.bin"), "old answer"));
    far.Script({{kAckByte}});
    EXPECT_EQ(ExecuteCommand(Slave(), "Y"), CommandOutcome::Done);
    EXPECT_EQ(host.panel3, "0");
    EXPECT_EQ(read_file(dir.file("binarni.bin")), "");
    EXPECT_TRUE(host.results.empty());
    EXPECT_EQ(terminal->RecordCount, 0);
    EXPECT_EQ(host.cursor, CursorShape::Default);
    EXPECT_TRUE(host.resultsVisible);
}

TEST_F(Link, MasterAnswerEndsAtThePollFrame) {
    TempDir dir;
    host.settings.BinaryOutput = true;
    host.settings.DataPath = dir.str();
    far.PollEvery(50);
    TTobrin& t = Terminal(1);
    ASSERT_TRUE(t.Detect(true));
    ASSERT_TRUE(t.IsMaster());
    const Bytes block = Concat({PersonRecord('R'), PersonRecord('q')});
    far.Script({{Concat({kAckByte, block, kPoll})}});
    EXPECT_EQ(ExecuteCommand(t, "P"), CommandOutcome::Done);
    EXPECT_EQ(t.ReceivedCount, 48);
    EXPECT_EQ(t.RecordCount, 2);
    ASSERT_EQ(host.results.size(), 1u); // R followed by q: one pair line
    EXPECT_EQ(host.results[0].size(), 98u);
    EXPECT_EQ(read_file(dir.file("binarni.bin")), std::string(block.begin(), block.end()));
}

TEST_F(Link, ALineThatFailsDuringTheAnswerFailsTheAttempt) {
    // Ten whole records, then the adapter is pulled out: the records end on a
    // record boundary, yet they may be only part of the answer.
    Bytes block;
    for (int i = 0; i < 10; ++i) {
        const Bytes record = PersonRecord('R');
        block.insert(block.end(), record.begin(), record.end());
    }
    Reply reply{Concat({kAckByte, block})};
    reply.hangUpAfterMs = 50; // within the quiet time that would end the block
    far.Script({reply});
    TTobrin& t = Slave();
    EXPECT_EQ(ExecuteCommand(t, "P"), CommandOutcome::Failed);
    EXPECT_EQ(t.AckCount, 0);
    EXPECT_EQ(t.RecordCount, 0);
    EXPECT_TRUE(host.results.empty());
}

TEST_F(Link, BlockOfTheWholeMemoryFitsAndOneByteMoreOverflows) {
    TempDir dir;
    host.settings.BinaryOutput = true;
    host.settings.DataPath = dir.str();
    const Bytes block = Concat({PersonRecord('R'), PersonRecord('Z')});
    far.Script({{Concat({kAckByte, block})}, {Concat({kAckByte, block, {'Z'}})}});
    TTobrin& t = Slave(1, block.size());
    EXPECT_EQ(ExecuteCommand(t, "P"), CommandOutcome::Done);
    EXPECT_EQ(t.RecordCount, 2);
    EXPECT_EQ(host.results.size(), 2u);
    EXPECT_TRUE(host.messages.empty());

    host.results.clear();
    EXPECT_EQ(ExecuteCommand(t, "P"), CommandOutcome::Overflow);
    EXPECT_EQ(t.AckCount, 1) << "an answer that did not fit counted as acknowledged";
    EXPECT_EQ(host.log, std::vector<std::string>{"P\xF8"
                                                 "ekro\xE8"
                                                 "ena kapacita pam\xEC"
                                                 "ti!!! Odpov\xEC\xEF "
                                                 "del\x9A\xED ne\x9E 48 byte"});
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "P\xF8"
                                "ekro\xE8"
                                "ena kapacita pam\xEC"
                                "ti!!!\n"
                                "Nutno zv\xFD\x9Ait kapacitu pam\xEC"
                                "ti v konfiguraci a restartovat.");
    EXPECT_TRUE(host.results.empty());
    EXPECT_EQ(t.RecordCount, 0);
    EXPECT_EQ(host.panel3, "48");
    EXPECT_EQ(read_file(dir.file("binarni.bin")), ""); // no earlier answer left behind
}

TEST_F(Link, AnAnswerThatIsNotWholeRecordsIsLoggedAndRepeated) {
    Bytes wrongLength = Concat({PersonRecord('Z'), PersonRecord('Z')});
    wrongLength.insert(wrongLength.end(), {0, 0});
    // 24 bytes of line noise inside a hundred records: the length fits.
    Bytes noisy = Records(100);
    noisy.insert(noisy.begin() + 50 * 24 + 10, 24, 0xA7);
    Bytes sNoise(54, 'S');
    sNoise[27] = 0xA7;
    struct Case {
        const char* name;
        Bytes block;
        std::string logged; // Windows-1250
    };
    const Case cases[] = {
        {"a wrong length", wrongLength, "R,Z chybne nacteno: 50 byte"},
        {"noise among records", noisy,
         "R,Z chybne nacteno: 2424 byte, z\xE1znam 52 neza\xE8\xEDn\xE1 p\xEDsmenem R, Z, q "
         "ani r"},
        {"noise among S records", sNoise,
         "S chybne nacteno: 54 byte, z\xE1znam 2 neza\xE8\xEDn\xE1 p\xEDsmenem S"},
        {"noise alone", Bytes(48, 0xA7), "Nezn\xE1m\xE1 odpov\xEC\xEF termin\xE1lu: 48 byte"},
    };
    Slave(1, 5000);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.log.clear();
        terminal->AckCount = 0;
        far.Script({{Concat({kAckByte, c.block})}});
        EXPECT_EQ(ExecuteCommand(*terminal, "P"), CommandOutcome::Repeat);
        EXPECT_EQ(host.log, std::vector<std::string>{c.logged});
        EXPECT_TRUE(host.results.empty());
        EXPECT_EQ(terminal->RecordCount, 0);
        EXPECT_EQ(terminal->AckCount, 1);
    }
}

TEST_F(Link, AnAnswerThatCannotReachBinarniBinFailsTheAttempt) {
    TempDir dir;
    host.settings.BinaryOutput = true;
    host.settings.DataPath = dir.str();
    std::filesystem::create_directories(dir.path() / "binarni.bin" / "x");
    far.Script({{Concat({kAckByte, PersonRecord('R')})}});
    EXPECT_EQ(ExecuteCommand(Slave(), "P"), CommandOutcome::Failed);
    EXPECT_EQ(terminal->AckCount, 0);
    EXPECT_EQ(terminal->RecordCount, 0);
    EXPECT_TRUE(host.results.empty());
    ASSERT_EQ(host.log.size(), 1u);
    EXPECT_EQ(host.log[0].rfind("Nelze vytvo\xF8it soubor ", 0), 0u) << host.log[0];
}

TEST_F(Link, MastersWholeMemoryFollowedByItsPollFrameFits) {
    far.PollEvery(50);
    const Bytes block = Concat({PersonRecord('R'), PersonRecord('Z')});
    TTobrin& t = Terminal(1, block.size());
    ASSERT_TRUE(t.Detect(true));
    ASSERT_TRUE(t.IsMaster());
    // The poll frame's first bytes arrive when the memory is already full.
    far.Script({{Concat({kAckByte, block, kPoll})}});
    EXPECT_EQ(ExecuteCommand(t, "P"), CommandOutcome::Done);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(t.ReceivedCount, 48);
    EXPECT_EQ(t.RecordCount, 2);
}

TEST_F(Link, TheTraceSaysWhatKelmoraMadeOfEachExchange) {
    ASSERT_NO_FATAL_FAILURE(TraceTheLine());
    // What comes after the frame went out (rts-up, frame, rts-down).
    struct Case {
        const char* name;
        Reply reply;
        const char* command;
        std::vector<std::string> after;
    };
    Reply hangUp{Concat({kAckByte, PersonRecord('R')})};
    hangUp.hangUpAfterMs = 50;
    const Case cases[] = {
        {"acknowledged", {kAckByte}, "N", {"ack"}},
        {"another byte", {{0x15}}, "N", {"nak 15"}},
        {"silence", {}, "N", {"timeout"}},
        {"an answer", {Concat({kAckByte, PersonRecord('R')})}, "P", {"ack", "block 52 01 02"}},
        {"acknowledged, no answer", {kAckByte}, "Y", {"ack", "timeout"}},
        {"cut off", hangUp, "P", {"ack", "block 52 01 02", "failed"}}, // last: the device goes
    };
    Slave();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::size_t before = split_text_lines(*read_file(TracePath())).size();
        far.Script({c.reply});
        ExecuteCommand(*terminal, c.command);
        auto lines = split_text_lines(*read_file(TracePath()));
        lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(before));
        ASSERT_EQ(lines.size(), 3 + c.after.size()) << lines.back();
        EXPECT_NE(lines[0].find(" COM7 -- -- rts-up"), std::string::npos) << lines[0];
        EXPECT_NE(lines[1].find(" COM7 TX 01 frame    01 04 "), std::string::npos) << lines[1];
        EXPECT_NE(lines[2].find(" COM7 -- -- rts-down"), std::string::npos) << lines[2];
        for (std::size_t i = 0; i < c.after.size(); ++i) {
            std::string expected = c.after[i];
            const auto blank = expected.find(' ');
            if (blank != std::string::npos) {
                expected.insert(blank, 8 - blank, ' '); // the kind's column
            }
            EXPECT_NE(lines[3 + i].find(" COM7 RX 01 " + expected), std::string::npos)
                << lines[3 + i];
        }
    }
}

TEST_F(Link, TheTraceTellsNoiseFromThePollFrame) {
    ASSERT_NO_FATAL_FAILURE(TraceTheLine());
    TTobrin& t = Terminal(1);
    std::thread late([&] {
        sleep_ms(30);
        far.Send({0x10, 0x04, 0x10, 0x04, 0x55, 0x69});
    });
    EXPECT_TRUE(t.ListenForPoll());
    late.join();
    EXPECT_FALSE(t.ListenForPoll()); // silence
    const auto lines = split_text_lines(*read_file(TracePath()));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_NE(lines[2].find(" RX 01 noise    10 04"), std::string::npos) << lines[2];
    EXPECT_NE(lines[3].find(" RX 01 poll     10 04 55 69"), std::string::npos) << lines[3];
    EXPECT_NE(lines[5].find(" RX 01 timeout  # no poll frame: 120 ms of silence"),
              std::string::npos)
        << lines[5];
}

TEST_F(Link, ADownloadComesWholeThroughAReaderHeldUpInTheMiddle) {
    // A hundred records paced at about 48 kbit/s; halfway the reader stops
    // for a while as a busy PC's would, and the terminal goes on.
    const Bytes block = Records(100);
    struct Case {
        const char* name;
        bool master;
        std::uint32_t holdMs;
    };
    const Case cases[] = {{"SLAVE, 300 ms", false, 300},
                          {"SLAVE, 1 s", false, 1000},
                          {"MASTER, 300 ms", true, 300},
                          {"MASTER, 1 s", true, 1000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TTobrin& t = Terminal(1, block.size());
        ASSERT_NO_FATAL_FAILURE(TakeRole(t, c.master));
        Reply reply{Concat({kAckByte, block, c.master ? kPoll : Bytes{}})};
        reply.chunk = 48;
        reply.gapMs = 10;
        far.Script({reply});
        const std::size_t before = far.RepliedBytes();
        HeldUpReader heldUp(c.holdMs,
                            [&] { return far.RepliedBytes() - before > block.size() / 2; });
        EXPECT_EQ(ExecuteCommand(t, "P"), CommandOutcome::Done);
        EXPECT_TRUE(HeldUpReader::Held());
        EXPECT_EQ(t.ReceivedCount, static_cast<int>(block.size()));
        EXPECT_EQ(t.RecordCount, 100);
        EXPECT_EQ(host.results.size(), 100u);
        EXPECT_EQ(t.AckCount, 1);
        host.results.clear();
    }
}

TEST_F(Link, AnAcknowledgementIsNeverLostToAHeldUpReader) {
    struct Case {
        const char* name;
        bool master;
        std::uint32_t holdMs;
        bool afterWriting; // held up right after queueing, else while waiting
    };
    const Case cases[] = {
        {"SLAVE, queued and held up", false, 50, true},
        {"SLAVE, held up 300 ms in the wait", false, 300, false},
        {"SLAVE, held up 1 s in the wait", false, 1000, false},
        {"MASTER, held up 300 ms in the wait", true, 300, false},
        {"MASTER, held up 1 s in the wait", true, 1000, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TTobrin& t = Terminal(1);
        ASSERT_NO_FATAL_FAILURE(TakeRole(t, c.master));
        Reply ack{kAckByte};
        // Acknowledged quickly after writing; late enough to find the reader
        // waiting otherwise.
        ack.turnaroundMs = c.afterWriting ? 5 : 40;
        far.Script({ack});
        const std::size_t framesBefore = far.Frames().size();
        std::optional<HeldUpAfterWriting> queued;
        std::optional<HeldUpReader> waiting;
        if (c.afterWriting) {
            queued.emplace(*line, c.holdMs);
        } else {
            waiting.emplace(c.holdMs, [&] { return far.Frames().size() > framesBefore; });
        }
        EXPECT_EQ(ExecuteCommand(t, "N"), CommandOutcome::Done);
        EXPECT_TRUE(c.afterWriting || HeldUpReader::Held());
        EXPECT_EQ(t.AckCount, 1);
    }
}

TEST_F(Link, AStopEndsADownloadAtOnce) {
    TempDir dir;
    host.settings.BinaryOutput = true;
    host.settings.DataPath = dir.str();
    host.settings.WaitForDataMs = 10000;
    ASSERT_TRUE(write_file(dir.file("binarni.bin"), "old answer"));
    const Bytes block = Records(200);
    Reply slow{Concat({kAckByte, block})};
    slow.chunk = 24;
    slow.gapMs = 10; // two seconds in all
    Reply late{Concat({kAckByte, Bytes{'R'}})};
    late.chunk = 1;
    late.gapMs = 2000; // the block starts two seconds after the acknowledgement
    TTobrin& t = Slave(1, block.size());
    struct Case {
        const char* name;
        Reply reply;
    };
    for (const Case& c :
         {Case{"in the middle of the block", slow}, Case{"waiting for its first byte", late}}) {
        SCOPED_TRACE(c.name);
        host.stopRequested = false;
        t.AckCount = 0;
        far.Script({c.reply});
        const std::size_t before = far.RepliedBytes();
        std::thread stopper([&] {
            WaitUntil([&] { return far.RepliedBytes() > before; }, 10000);
            sleep_ms(100);
            host.stopRequested = true;
        });
        EXPECT_EQ(ExecuteCommand(t, "P"), CommandOutcome::Failed);
        const std::size_t replied = far.RepliedBytes() - before;
        stopper.join();
        EXPECT_LT(replied, c.reply.bytes.size()) << "the whole answer was read";
        EXPECT_EQ(t.AckCount, 0);
        EXPECT_EQ(t.RecordCount, 0);
        EXPECT_TRUE(host.results.empty());
        EXPECT_EQ(read_file(dir.file("binarni.bin")), "");
        // The far end goes on with its reply after the stop: the next case
        // starts once the line is quiet, or its frame meets this one's bytes.
        EXPECT_TRUE(
            WaitUntil([&] { return far.RepliedBytes() == before + c.reply.bytes.size(); }, 10000));
    }
}
