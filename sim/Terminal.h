// One simulated terminal's command handling: what it does with a command
// payload it has taken off the line, and what it answers. Timing, faults and
// the line belong to the engine; this is the terminal's memory, clock, role
// and settings.
//
//   X, R, q, r  store or replace a record (X is kept as Z); a half needs its
//               person's record, a full memory takes no new record: both are
//               refused (no acknowledgement)
//   P           answer block: the whole memory in record order
//   Y           answer block: the persons changed since the last Y
//   S           answer block: one 27-byte S record
//   T           set the clock from fourteen digits (refused when malformed)
//   O00 / O11   become SLAVE / MASTER
//   C           clear the memory; the engine then keeps the terminal deaf
//   c           keep the four characters and six numbers (17-byte payload)
//   anything else, the probe 'A' included: acknowledged
#pragma once

#include "sim/Memory.h"
#include "sim/Record.h"
#include "sim/TerminalClock.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelmora::sim {

enum class Role { Slave, Master };

struct TerminalSetup {
    int address = 1; // 0 to 255
    Role role = Role::Slave;
    std::size_t capacity = 2500; // records, halves included
    bool dt = false;             // 29-byte records with a stamp of the last change
    std::string ident;           // S record text; empty: "TOBRIN SIM <address>"
    std::vector<PersonRecord> records;
    std::optional<ClockFields> clock; // empty: the PC's local time
};

// The six numbers of the last c command and the four characters before them.
struct SetupNumbers {
    bool received = false;
    std::string prefix;
    std::array<std::uint16_t, 6> values{};

    bool operator==(const SetupNumbers&) const = default;
};

struct CommandReply {
    bool acknowledge = false;
    std::optional<std::string> block; // data commands: the answer block, maybe empty
    bool cleared = false;             // the memory was cleared: deaf for a while
    bool role_changed = false;
    std::string refusal; // why the command was refused, for the trace
};

class Terminal {
public:
    // Seeded records that do not fit (capacity, a half without its record)
    // throw std::invalid_argument.
    Terminal(const TerminalSetup& setup, SteadyTime now);

    CommandReply handle(std::string_view payload, SteadyTime now);

    int address() const { return address_; }
    Role role() const { return role_; }
    bool dt() const { return dt_; }
    const std::string& ident() const { return ident_; }
    const PersonMemory& memory() const { return memory_; }
    const TerminalClock& clock() const { return clock_; }
    const SetupNumbers& setup_numbers() const { return numbers_; }

    // The S record at `now`.
    std::string s_record(SteadyTime now) const;

private:
    CommandReply store_record(std::string_view payload, SteadyTime now);
    CommandReply store_numbers(std::string_view payload);
    CommandReply set_clock(std::string_view payload, SteadyTime now);

    int address_;
    Role role_;
    bool dt_;
    std::string ident_;
    PersonMemory memory_;
    TerminalClock clock_;
    SetupNumbers numbers_;
};

} // namespace kelmora::sim
