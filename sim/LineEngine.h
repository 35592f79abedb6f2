// Everything that happens on one line, without any I/O: the terminals that
// share it, the frame parser that hears it, and the transmitter that speaks
// on it. The server feeds received bytes and the time in, and writes out what
// falls due. Tests drive it with a made-up clock.
//
// Rules of the line:
// - Received bytes arrive no faster than the line speed: a burst read at once
//   is spread out as if it had come over the wire.
// - A terminal answers only after the turnaround, counted from the arrival of
//   the frame's last byte; an answer block follows its acknowledgement after
//   another turnaround.
// - A SLAVE takes every good frame with its address while it is not busy.
// - A MASTER sends the poll frame every poll period and takes a frame only
//   when it starts within the listening time after a poll, one per poll. It
//   ends each answer block with its next poll frame. It holds its poll while
//   the line is in use: while anything is being sent, while any terminal is
//   in an exchange, and while a frame for one of the line's terminals is
//   arriving.
// - After C a terminal is deaf (and a MASTER does not poll) for the clear
//   time, counted from the end of its acknowledgement.
// - With fast timing nothing is paced: bytes count as arrived when read and
//   go out at once. The turnaround still holds, so an answer never comes
//   while the PC may still be sending, as on a real half-duplex line.
#pragma once

#include "sim/Faults.h"
#include "sim/FrameParser.h"
#include "sim/Terminal.h"
#include "sim/TerminalState.h"
#include "sim/Trace.h"
#include "sim/Transmitter.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelmora::sim {

struct LineTiming {
    int baud = 19200;
    bool mark = false; // 11 bits a byte instead of 10
    bool fast = false; // no pacing; the turnaround stays
    int turnaround_ms = 10;
    int poll_period_ms = 50;
    int listen_ms = 0; // a MASTER's listening time after a poll; 0: the poll period
    int clear_ms = 2000;

    // Time of one byte on the wire; 0 with fast timing.
    std::chrono::nanoseconds byte_time() const;
};

struct StationSetup {
    TerminalSetup terminal;
    Faults faults;
};

class LineEngine {
public:
    // Throws std::invalid_argument for an address out of 0 to 255, a
    // duplicate address, or seed records that do not fit.
    LineEngine(const LineTiming& timing, const std::vector<StationSetup>& stations,
               std::uint64_t seed, SteadyTime now);

    void set_trace(std::function<void(const TraceEntry&)> sink) { trace_ = std::move(sink); }

    // Bytes read from the line at `now`.
    void receive(std::string_view bytes, SteadyTime now);
    // Runs the timers: abandoned frames, polls that fall due.
    void tick(SteadyTime now);
    // What is due to be written at `now`, and how much of it was written.
    std::string_view due(SteadyTime now) { return transmitter_.due(now); }
    void commit(std::size_t n, SteadyTime now);
    // When tick() or due() next has something to do; nothing while the line
    // waits only for input.
    std::optional<SteadyTime> next_deadline(SteadyTime now) const;

    // Index of the terminal with this address, or -1.
    int find(int address) const;
    std::size_t size() const { return stations_.size(); }
    TerminalState state(std::size_t index, SteadyTime now) const;
    LineCounters line_counters() const { return line_; }
    void set_faults(std::size_t index, const Faults& faults);

private:
    struct Station {
        Station(Terminal t, FaultState f) : terminal(std::move(t)), faults(f) {}

        Terminal terminal;
        FaultState faults;
        Counters counters;
        int in_flight = 0; // transmissions queued and not yet finished
        bool clear_pending = false;
        bool poll_after_ack = false;
        SteadyTime deaf_until{};
        SteadyTime listen_from{};
        SteadyTime listen_until{};
        SteadyTime next_poll{};
    };

    void on_item(const ParsedItem& item);
    void on_own_frame(std::size_t index, const ParsedItem& item);
    void on_tx_event(const TxEvent& event);
    void send(std::size_t index, TxKind kind, std::string bytes, SteadyTime not_before,
              std::chrono::nanoseconds gap);
    void queue_poll(std::size_t index, SteadyTime not_before, std::chrono::nanoseconds gap);
    bool can_poll(const Station& s) const;
    bool line_busy() const;
    bool deaf(const Station& s, SteadyTime at) const;
    void trace(SteadyTime at, bool sent, int address, std::string kind, std::string bytes,
               std::string note = {});

    std::chrono::nanoseconds byte_time_;
    std::chrono::nanoseconds turnaround_;
    std::chrono::nanoseconds poll_period_;
    std::chrono::nanoseconds listen_;
    std::chrono::nanoseconds clear_time_;
    std::vector<Station> stations_;
    FrameParser parser_;
    Transmitter transmitter_;
    SteadyTime rx_clock_{};
    LineCounters line_;
    std::function<void(const TraceEntry&)> trace_;
};

} // namespace kelmora::sim
