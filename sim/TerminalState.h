// What a test can read back about one simulated terminal: a copy taken at one
// moment, safe to keep while the simulator runs on.
#pragma once

#include "sim/Faults.h"
#include "sim/Record.h"
#include "sim/Terminal.h"
#include "sim/TerminalClock.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kelmora::sim {

struct Counters {
    std::uint64_t frames_received = 0;  // good frames with this terminal's address
    std::uint64_t frames_foreign = 0;   // good frames for another address
    std::uint64_t bad_checksums = 0;    // frames with a wrong checksum, whatever their address
    std::uint64_t frames_ignored = 0;   // own frames not taken: not polled, busy, deaf, silent
    std::uint64_t commands_refused = 0; // taken, but refused without an answer
    std::uint64_t acks_sent = 0;
    std::uint64_t naks_sent = 0;
    std::uint64_t blocks_sent = 0; // answer blocks with at least one byte
    std::uint64_t polls_sent = 0;

    bool operator==(const Counters&) const = default;
};

struct TerminalState {
    int address = 0;
    Role role = Role::Slave;
    bool deaf = false;   // clearing its memory after C
    bool silent = false; // fallen silent through a fault
    std::size_t capacity = 0;
    bool dt = false;
    std::vector<PersonRecord> records; // memory order, each half after its record
    ClockFields clock;
    SetupNumbers numbers;
    Counters counters;
    Faults faults; // as they stand: counts already used up are gone
};

struct LineCounters {
    std::uint64_t bytes_received = 0;
    std::uint64_t bytes_sent = 0;
    std::uint64_t junk_bytes = 0; // received bytes that belonged to no frame

    bool operator==(const LineCounters&) const = default;
};

} // namespace kelmora::sim
