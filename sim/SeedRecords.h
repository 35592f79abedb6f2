// Records to start a memory with: read from a file of Kelmora's result lines,
// or made up at random but reproducibly.
//
// A record line: the letter (Q, R, q or r), the person number (four digits,
// five above 9999), eight hexadecimal digits, the flag character, and three
// groups of fourteen code characters (first, breakfast and dinner codes); in
// DT mode ten hexadecimal digits more, the stamp. A pair line (Q or R only)
// carries six groups: the second three are the person's half, q after Q and r
// after R. With the raw flag (a flag character of 0x80 or above) the first
// group is the fourteen meal bytes themselves. Q is stored as Z. Empty lines
// and lines starting with '#' are skipped.
#pragma once

#include "sim/CodeAlphabet.h"
#include "sim/Record.h"
#include "sim/TerminalClock.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kelmora::sim {

struct SeedFormat {
    MealRadices radices;
    bool dt = false;
};

struct SeedResult {
    std::vector<PersonRecord> records;
    std::string error; // names the line; empty on success
};

SeedResult parse_record_lines(const std::vector<std::string>& lines, const SeedFormat& format);
SeedResult load_record_file(const std::string& path, const SeedFormat& format);

// `count` records (halves included, about one person in eight has one) with
// distinct person numbers; the same seed gives the same records everywhere.
std::vector<PersonRecord> random_records(std::size_t count, std::uint64_t seed,
                                         const MealRadices& radices, const ClockFields& stamp);

} // namespace kelmora::sim
