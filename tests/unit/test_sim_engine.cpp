// The simulated line on a made-up clock: when terminals answer, what a
// MASTER does, how terminals share a line, and the faults.
#include "sim/LineEngine.h"
#include "support/WireFrame.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

using namespace kelmora::sim;
using namespace std::chrono_literals;

using kelmora::testing::frame;

namespace {

const SteadyTime kT0 = SteadyTime{} + 1h;
constexpr std::chrono::nanoseconds kByte{520'833}; // 10 bits at 19200 baud
const std::string kAck = "\x06";
const std::string kPoll = "\x10\x04\x55\x69";

std::vector<PersonRecord> persons(int count) {
    std::vector<PersonRecord> out;
    for (int n = 1; n <= count; ++n) {
        PersonRecord r;
        r.letter = 'R';
        r.number = static_cast<std::uint16_t>(n);
        out.push_back(r);
    }
    return out;
}

StationSetup station(int address, Role role, std::vector<PersonRecord> records = {}) {
    StationSetup s;
    s.terminal.address = address;
    s.terminal.role = role;
    s.terminal.records = std::move(records);
    s.terminal.clock = ClockFields{13, 6, 13, 4, 9, 5, 7};
    return s;
}

struct Written {
    SteadyTime at;
    char byte;
};

// Runs the engine the way the server does, byte by byte at their deadlines.
class Line {
public:
    Line(const LineTiming& timing, std::vector<StationSetup> stations)
        : engine(timing, stations, 1, kT0) {
        engine.set_trace([this](const TraceEntry& e) { trace.push_back(e); });
    }

    void send(const std::string& bytes) { engine.receive(bytes, now); }

    void run_for(std::chrono::nanoseconds span) {
        const SteadyTime end = now + span;
        for (int guard = 0; guard < 1'000'000; ++guard) {
            engine.tick(now);
            flush();
            const auto next = engine.next_deadline(now);
            if (!next || *next > end) {
                break;
            }
            now = std::max(now, *next);
        }
        now = end;
        engine.tick(now);
        flush();
    }

    // Everything written since `from` (an index into `out`).
    std::string text(std::size_t from = 0) const {
        std::string s;
        for (std::size_t i = from; i < out.size(); ++i) {
            s += out[i].byte;
        }
        return s;
    }

    std::size_t polls(std::size_t from = 0) const {
        std::size_t n = 0;
        for (std::size_t pos = text(from).find(kPoll); pos != std::string::npos;
             pos = text(from).find(kPoll, pos + 1)) {
            ++n;
        }
        return n;
    }

    TerminalState state(int address) const {
        return engine.state(static_cast<std::size_t>(engine.find(address)), now);
    }

    bool traced(const std::string& kind, const std::string& note = {}) const {
        for (const TraceEntry& e : trace) {
            if (e.kind == kind && (note.empty() || e.note == note)) {
                return true;
            }
        }
        return false;
    }

    LineEngine engine;
    SteadyTime now = kT0;
    std::vector<Written> out;
    std::vector<TraceEntry> trace;

private:
    void flush() {
        for (;;) {
            const std::string_view due = engine.due(now);
            if (due.empty()) {
                return;
            }
            for (const char c : due) {
                out.push_back({now, c});
            }
            engine.commit(due.size(), now);
        }
    }
};

LineTiming paced() {
    return LineTiming{};
}

LineTiming master_timing() {
    LineTiming t;
    t.listen_ms = 5;
    return t;
}

} // namespace

TEST(SimLine, SlaveAnswersAfterTheTurnaroundCountedAtLineSpeed) {
    Line line(paced(), {station(1, Role::Slave, persons(2))});
    line.send(frame(1, "P"));
    line.run_for(500ms);

    ASSERT_EQ(line.out.size(), 1 + 2 * kRecordSize);
    EXPECT_EQ(line.out[0].byte, '\x06');
    // The frame's 4 bytes arrive at line speed; 10 ms later the ACK goes,
    // and is written once its own byte time has passed.
    const SteadyTime frame_end = kT0 + 4 * kByte;
    EXPECT_EQ(line.out[0].at, frame_end + 10ms + kByte);
    // The block follows the ACK after another turnaround, byte after byte.
    const SteadyTime block_start = line.out[0].at + 10ms;
    EXPECT_EQ(line.out[1].at, block_start + kByte);
    EXPECT_EQ(line.out.back().at, block_start + 48 * kByte);
    EXPECT_EQ(line.text(1).substr(0, 3), std::string("R\0\x01", 3));

    const Counters c = line.state(1).counters;
    EXPECT_EQ(c.frames_received, 1u);
    EXPECT_EQ(c.acks_sent, 1u);
    EXPECT_EQ(c.blocks_sent, 1u);
}

TEST(SimLine, MarkParityAndSlowLinesStretchTheTiming) {
    LineTiming t;
    t.baud = 1200;
    t.mark = true;
    t.turnaround_ms = 25;
    Line line(t, {station(1, Role::Slave)});
    line.send(frame(1, "A"));
    line.run_for(500ms);
    const std::chrono::nanoseconds byte{9'166'667}; // 11 bits at 1200 baud
    ASSERT_EQ(line.text(), kAck);
    EXPECT_EQ(line.out[0].at, kT0 + 4 * byte + 25ms + byte);
}

TEST(SimLine, FastTimingDropsPacingButKeepsTheTurnaround) {
    LineTiming t;
    t.fast = true;
    Line line(t, {station(1, Role::Slave, persons(1))});
    line.send(frame(1, "P"));
    line.run_for(5ms);
    EXPECT_EQ(line.text(), ""); // the PC may still be sending
    line.run_for(20ms);
    ASSERT_EQ(line.out.size(), 1 + kRecordSize);
    EXPECT_EQ(line.out[0].at, kT0 + 10ms);
    EXPECT_EQ(line.out[1].at, kT0 + 20ms);
    EXPECT_EQ(line.out.back().at, kT0 + 20ms);

    t.turnaround_ms = 0;
    Line at_once(t, {station(1, Role::Slave, persons(1))});
    at_once.send(frame(1, "P"));
    at_once.run_for(0ms);
    ASSERT_EQ(at_once.out.size(), 1 + kRecordSize);
    EXPECT_EQ(at_once.out.back().at, kT0);
}

TEST(SimLine, WhatIsNotForTheTerminalGetsNoAnswer) {
    Line line(paced(), {station(1, Role::Slave)});
    std::string bad = frame(1, "S");
    bad.back() = static_cast<char>(bad.back() ^ 0x01);
    line.send(frame(2, "S"));
    line.run_for(30ms);
    line.send(bad);
    line.run_for(30ms);
    line.send(std::string("\x01\x02\x03", 3));
    line.run_for(100ms);
    EXPECT_EQ(line.text(), "");

    const Counters c = line.state(1).counters;
    EXPECT_EQ(c.frames_received, 0u);
    EXPECT_EQ(c.frames_foreign, 1u);
    EXPECT_EQ(c.bad_checksums, 1u);
    EXPECT_EQ(c.acks_sent, 0u);
    EXPECT_EQ(line.engine.line_counters().junk_bytes, 3u);
    EXPECT_TRUE(line.traced("foreign"));
    EXPECT_TRUE(line.traced("badsum"));
    EXPECT_TRUE(line.traced("junk"));

    // The line is still good for a proper frame.
    line.send(frame(1, "A"));
    line.run_for(30ms);
    EXPECT_EQ(line.text(), kAck);
}

TEST(SimLine, MasterPollsEveryPeriodAndTakesAFrameOnlyRightAfterAPoll) {
    Line line(master_timing(), {station(1, Role::Master, persons(1))});
    line.run_for(120ms);
    EXPECT_EQ(line.text(), kPoll + kPoll + kPoll); // at 0, 50 and 100 ms
    EXPECT_EQ(line.out[4].at - line.out[0].at, 50ms);

    // 15 ms after the last poll: outside the listening time.
    std::size_t mark = line.out.size();
    line.send(frame(1, "A"));
    line.run_for(20ms);
    EXPECT_EQ(line.text(mark), "");
    EXPECT_EQ(line.state(1).counters.frames_ignored, 1u);
    EXPECT_TRUE(line.traced("ignored", "not polled"));

    // Right after the next poll: taken, and the answer block ends with a poll.
    line.run_for(13ms);
    ASSERT_EQ(line.text(mark), kPoll);
    mark = line.out.size();
    line.send(frame(1, "P"));
    line.run_for(40ms);
    const std::string answer = line.text(mark);
    ASSERT_EQ(answer.size(), 1 + kRecordSize + 4);
    EXPECT_EQ(answer.substr(0, 2), std::string("\x06R"));
    EXPECT_EQ(answer.substr(answer.size() - 4), kPoll);
    // The poll follows the block's last byte without a gap.
    EXPECT_EQ(line.out.back().at - line.out[line.out.size() - 5].at, 4 * kByte);
}

TEST(SimLine, MasterHoldsItsPollWhileAnotherTerminalAnswers) {
    LineTiming t;
    t.poll_period_ms = 20;
    Line line(t, {station(1, Role::Slave, persons(20)), station(2, Role::Master)});
    line.run_for(5ms);
    ASSERT_EQ(line.text(), kPoll);

    // A frame for the SLAVE; its 480-byte answer takes about 250 ms.
    const std::size_t mark = line.out.size();
    line.send(frame(1, "P"));
    line.run_for(400ms);
    const std::string during = line.text(mark);
    ASSERT_GE(during.size(), 1 + 480u);
    EXPECT_EQ(during.substr(0, 2), kAck + "R");
    EXPECT_EQ(during.substr(0, 1 + 480).find(kPoll), std::string::npos);
    // Polling resumes once the answer is out.
    EXPECT_GT(line.polls(mark), 0u);
    EXPECT_EQ(line.state(2).counters.frames_foreign, 1u);
}

TEST(SimLine, MasterHoldsItsPollWhileAFrameForTheLineArrives) {
    LineTiming t;
    t.poll_period_ms = 20;
    Line line(t, {station(1, Role::Slave), station(2, Role::Master)});
    line.run_for(15ms);
    ASSERT_EQ(line.polls(), 1u);

    // A frame for the SLAVE arrives in two pieces across the next poll's time.
    const std::string f = frame(1, "T13061304090507");
    const std::size_t mark = line.out.size();
    line.send(f.substr(0, 2));
    line.run_for(10ms);
    EXPECT_EQ(line.text(mark), ""); // the poll due at 20 ms waits
    line.send(f.substr(2));
    line.run_for(100ms);
    const std::string after = line.text(mark);
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(after[0], '\x06'); // the SLAVE answers first, then polling goes on
    EXPECT_GT(line.polls(mark), 0u);
}

TEST(SimLine, ClearLeavesTheTerminalDeafAndAMasterQuiet) {
    LineTiming t;
    t.clear_ms = 300;
    Line line(t, {station(1, Role::Slave, persons(3)), station(2, Role::Master)});
    line.run_for(1ms);
    line.run_for(5ms);
    line.send(frame(2, "C"));
    line.run_for(20ms);
    std::size_t mark = line.out.size();
    line.run_for(250ms);
    EXPECT_EQ(line.polls(mark), 0u);
    EXPECT_TRUE(line.state(2).deaf);
    line.run_for(200ms);
    EXPECT_GT(line.polls(mark), 0u);
    EXPECT_FALSE(line.state(2).deaf);

    line.send(frame(1, "C"));
    line.run_for(40ms);
    EXPECT_TRUE(line.state(1).records.empty());
    line.send(frame(1, "A"));
    line.run_for(40ms);
    EXPECT_EQ(line.state(1).counters.frames_ignored, 1u);
    line.run_for(300ms);
    line.send(frame(1, "A"));
    line.run_for(40ms);
    EXPECT_EQ(line.state(1).counters.acks_sent, 2u);
}

TEST(SimLine, RoleCommandsStartAndStopPolling) {
    Line line(master_timing(), {station(1, Role::Slave)});
    line.send(frame(1, "O11"));
    line.run_for(200ms);
    EXPECT_EQ(line.state(1).role, Role::Master);
    EXPECT_EQ(line.text().substr(0, 1), kAck);
    EXPECT_GE(line.polls(), 3u);

    // Right after a poll: O00, then nothing but its ACK.
    line.run_for(50ms - (line.now - line.out.back().at) + 1ms);
    const std::size_t mark = line.out.size();
    line.send(frame(1, "O00"));
    line.run_for(300ms);
    EXPECT_EQ(line.state(1).role, Role::Slave);
    EXPECT_EQ(line.text(mark), kAck);
}

TEST(SimLine, AcknowledgementFaults) {
    Line line(paced(), {station(1, Role::Slave)});
    Faults f;
    f.no_ack = FaultSpec::next(1);
    f.nak = FaultSpec::next(1);
    line.engine.set_faults(0, f);

    const std::string record =
        std::string("R\0\x07", 3) + "00000000" + "0" + std::string(14, '\0') + std::string(14, ' ');
    line.send(frame(1, record));
    line.run_for(50ms);
    line.send(frame(1, record));
    line.run_for(50ms);
    line.send(frame(1, record));
    line.run_for(50ms);
    EXPECT_EQ(line.text(), "\x15" + kAck); // nothing, NAK, then ACK
    EXPECT_TRUE(line.traced("none", "no acknowledgement (fault)"));
    const TerminalState s = line.state(1);
    EXPECT_EQ(s.counters.naks_sent, 1u);
    EXPECT_EQ(s.counters.acks_sent, 1u);
    EXPECT_EQ(s.records.size(), 1u); // only the acknowledged command was carried out
}

TEST(SimLine, AnswerFaults) {
    Line line(master_timing(), {station(1, Role::Master, persons(2))});
    Faults f;
    f.cut_block = FaultSpec::next(1);
    f.cut_bytes = 5;
    f.bad_checksum = FaultSpec::next(1);
    f.stop_polling_after = 3;
    line.engine.set_faults(0, f);

    line.run_for(3ms);
    EXPECT_EQ(line.text(), "\x10\x04\x55\x6A");
    line.send(frame(1, "P")); // inside the window of the bad poll
    line.run_for(200ms);
    // ACK, 48 - 5 bytes, the ending poll (the 2nd), one more poll (the 3rd).
    const std::string all = line.text(4);
    EXPECT_EQ(all.size(), 1 + 43 + 4 + 4);
    EXPECT_EQ(all.substr(44), kPoll + kPoll);
    line.run_for(500ms);
    EXPECT_EQ(line.state(1).counters.polls_sent, 3u);
}

TEST(SimLine, NoiseGoesOutBeforeWhatTheTerminalSends) {
    Line line(paced(), {station(1, Role::Slave)});
    Faults f;
    f.noise = FaultSpec::next(1);
    f.noise_bytes = 1;
    line.engine.set_faults(0, f);
    line.send(frame(1, "A"));
    line.run_for(50ms);
    ASSERT_EQ(line.out.size(), 2u);
    EXPECT_EQ(line.out[1].byte, '\x06');
    EXPECT_TRUE(line.traced("noise"));
}

TEST(SimLine, SilentTerminalNeitherAnswersNorPolls) {
    Line line(master_timing(), {station(1, Role::Slave), station(2, Role::Master)});
    Faults once;
    once.silent_after = 1;
    line.engine.set_faults(0, once);
    Faults now;
    now.silent_after = 0;
    line.engine.set_faults(1, now);

    line.send(frame(1, "A"));
    line.run_for(50ms);
    line.send(frame(1, "A"));
    line.run_for(200ms);
    EXPECT_EQ(line.text(), kAck);
    EXPECT_TRUE(line.state(1).silent);
    EXPECT_TRUE(line.state(2).silent);
    EXPECT_EQ(line.state(1).counters.frames_ignored, 1u);
}

TEST(SimLine, ABusyTerminalIgnoresAnotherFrame) {
    Line line(paced(), {station(1, Role::Slave, persons(10))});
    line.send(frame(1, "P"));
    line.run_for(30ms);
    line.send(frame(1, "A")); // while the block is going out
    line.run_for(300ms);
    EXPECT_EQ(line.text().size(), 1 + 240u);
    EXPECT_EQ(line.state(1).counters.frames_ignored, 1u);
    EXPECT_TRUE(line.traced("ignored", "busy"));
}

TEST(SimLine, AddressesMustBeValidAndDistinct) {
    EXPECT_THROW(LineEngine(paced(), {station(1, Role::Slave), station(1, Role::Master)}, 1, kT0),
                 std::invalid_argument);
    EXPECT_THROW(LineEngine(paced(), {station(256, Role::Slave)}, 1, kT0), std::invalid_argument);
}
