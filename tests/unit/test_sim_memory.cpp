// A simulated terminal's memory and command handling, without any line.
#include "sim/Memory.h"
#include "sim/Terminal.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

using namespace kelmora::sim;
using namespace std::chrono_literals;

namespace {

const SteadyTime kT0 = SteadyTime{} + 1h;

// 13 June 2013, a Thursday, 09:05:07.
const ClockFields kJune13{13, 6, 13, 4, 9, 5, 7};

std::string bytes(std::initializer_list<int> values) {
    std::string s;
    for (const int v : values) {
        s += static_cast<char>(v);
    }
    return s;
}

// The payload Kelmora sends for a record command.
std::string record_payload(char letter, int number, const std::string& hex8, char flag,
                           std::uint8_t meal, const std::string& name = "NOVAK PETR    ") {
    std::string p;
    p += letter;
    p += static_cast<char>(number >> 8);
    p += static_cast<char>(number & 0xFF);
    p += hex8;
    p += flag;
    p += std::string(14, static_cast<char>(meal));
    p += name;
    return p;
}

Terminal make_terminal(std::size_t capacity = 10, bool dt = false) {
    TerminalSetup setup;
    setup.address = 3;
    setup.capacity = capacity;
    setup.dt = dt;
    setup.clock = kJune13;
    return Terminal(setup, kT0);
}

std::string letters(const Terminal& t) {
    std::string out;
    for (const PersonRecord& r : t.memory().records()) {
        out += r.letter;
        out += std::to_string(r.number);
        out += ' ';
    }
    return out;
}

bool acked(const CommandReply& reply) {
    return reply.acknowledge;
}

} // namespace

TEST(SimMemory, StoredRecordHasTheLayoutKelmoraReadsBack) {
    Terminal t = make_terminal();
    const std::string payload = record_payload('X', 0x0102, "12345678", '0', 0x46);
    ASSERT_TRUE(acked(t.handle(payload + "ABC", kT0))); // with credit: 43 bytes

    const CommandReply p = t.handle("P", kT0);
    ASSERT_TRUE(p.block.has_value());
    const std::string expected = bytes({'Z', 0x01, 0x02, 0x12, 0x34, 0x56, 0x78, '0'}) +
                                 std::string(14, '\x46') + std::string(2, '\0');
    EXPECT_EQ(*p.block, expected);

    const PersonRecord r = t.memory().records().at(0);
    EXPECT_EQ(r.name, "NOVAK PETR    "); // kept, never sent back
    EXPECT_EQ(r.credit, "ABC");
}

TEST(SimMemory, DtRecordsCarryTheStampOfTheirLastChange) {
    Terminal t = make_terminal(10, true);
    ASSERT_TRUE(acked(t.handle(record_payload('R', 7, "0000000A", '1', 0), kT0 + 90s)));
    const std::string block = *t.handle("P", kT0).block;
    ASSERT_EQ(block.size(), 29u);
    // 13.06.2013 09:06:37 as BCD YY MM DD hh mm, then two zero bytes.
    EXPECT_EQ(block.substr(22), bytes({0x13, 0x06, 0x13, 0x09, 0x06, 0x00, 0x00}));
}

TEST(SimMemory, HexCharactersBecomeFourBytesAndOthersCountAsZero) {
    Terminal t = make_terminal();
    ASSERT_TRUE(acked(t.handle(record_payload('R', 1, "ab-Z9f G", '0', 0), kT0)));
    const auto id = t.memory().records().at(0).id;
    EXPECT_EQ(id[0], 0xAB);
    EXPECT_EQ(id[1], 0x00);
    EXPECT_EQ(id[2], 0x9F);
    EXPECT_EQ(id[3], 0x00);
}

TEST(SimMemory, RecordsAreReplacedInPlaceAndHalvesFollowTheirRecord) {
    Terminal t = make_terminal();
    ASSERT_TRUE(acked(t.handle(record_payload('R', 10, "00000000", '0', 1), kT0)));
    ASSERT_TRUE(acked(t.handle(record_payload('X', 20, "00000000", '0', 2), kT0)));
    ASSERT_TRUE(acked(t.handle(record_payload('q', 10, "00000000", '0', 3), kT0)));
    EXPECT_EQ(letters(t), "R10 q10 Z20 ");

    // Replacing keeps the place; a new half replaces the old one.
    ASSERT_TRUE(acked(t.handle(record_payload('X', 10, "00000000", '0', 4), kT0)));
    ASSERT_TRUE(acked(t.handle(record_payload('r', 10, "00000000", '0', 5), kT0)));
    EXPECT_EQ(letters(t), "Z10 r10 Z20 ");
    EXPECT_EQ(t.memory().records().at(1).meals[0], 5);

    // A half whose person has no record cannot be placed.
    const CommandReply lone = t.handle(record_payload('q', 30, "00000000", '0', 6), kT0);
    EXPECT_FALSE(acked(lone));
    EXPECT_FALSE(lone.refusal.empty());
    EXPECT_EQ(letters(t), "Z10 r10 Z20 ");
}

TEST(SimMemory, AFullMemoryRefusesNewRecordsButTakesReplacements) {
    Terminal t = make_terminal(3);
    ASSERT_TRUE(acked(t.handle(record_payload('R', 1, "00000000", '0', 0), kT0)));
    ASSERT_TRUE(acked(t.handle(record_payload('R', 2, "00000000", '0', 0), kT0)));
    ASSERT_TRUE(acked(t.handle(record_payload('q', 1, "00000000", '0', 0), kT0)));
    // Halves count: three records fill it.
    EXPECT_FALSE(acked(t.handle(record_payload('R', 3, "00000000", '0', 0), kT0)));
    EXPECT_FALSE(acked(t.handle(record_payload('r', 2, "00000000", '0', 0), kT0)));
    EXPECT_TRUE(acked(t.handle(record_payload('R', 2, "00000000", '0', 9), kT0)));
    EXPECT_TRUE(acked(t.handle(record_payload('r', 1, "00000000", '0', 9), kT0)));
    EXPECT_EQ(letters(t), "R1 r1 R2 ");
    EXPECT_EQ(t.handle("P", kT0).block->size(), 3 * kRecordSize);
}

TEST(SimMemory, RecordCommandsOfTheWrongLengthAreRefused) {
    Terminal t = make_terminal();
    const std::string good = record_payload('R', 1, "00000000", '0', 0);
    EXPECT_FALSE(acked(t.handle(good.substr(0, 39), kT0)));
    EXPECT_FALSE(acked(t.handle(good + "ABC", kT0))); // credit only with X
    EXPECT_FALSE(acked(t.handle(record_payload('X', 1, "00000000", '0', 0) + "A", kT0)));
    EXPECT_TRUE(t.memory().records().empty());
}

TEST(SimMemory, YAnswersChangedPersonsOnceWithTheirHalves) {
    Terminal t = make_terminal();
    for (int n = 1; n <= 3; ++n) {
        ASSERT_TRUE(acked(t.handle(record_payload('R', n, "00000000", '0', 0), kT0)));
    }
    EXPECT_EQ(t.handle("Y", kT0).block->size(), 3 * kRecordSize);
    EXPECT_EQ(*t.handle("Y", kT0).block, "");

    // Only the half of person 2 changed: its record comes along.
    ASSERT_TRUE(acked(t.handle(record_payload('r', 2, "00000000", '0', 0), kT0)));
    const std::string y = *t.handle("Y", kT0).block;
    ASSERT_EQ(y.size(), 2 * kRecordSize);
    EXPECT_EQ(y[0], 'R');
    EXPECT_EQ(y[2], 2);
    EXPECT_EQ(y[kRecordSize], 'r');

    // P leaves the changes for Y alone.
    ASSERT_TRUE(acked(t.handle(record_payload('R', 3, "00000000", '0', 1), kT0)));
    EXPECT_EQ(t.handle("P", kT0).block->size(), 4 * kRecordSize);
    EXPECT_EQ(t.handle("Y", kT0).block->size(), kRecordSize);
}

TEST(SimMemory, ClearEmptiesTheMemory) {
    Terminal t = make_terminal();
    ASSERT_TRUE(acked(t.handle(record_payload('R', 1, "00000000", '0', 0), kT0)));
    const CommandReply c = t.handle("C", kT0);
    EXPECT_TRUE(acked(c));
    EXPECT_TRUE(c.cleared);
    EXPECT_EQ(*t.handle("P", kT0).block, "");
    EXPECT_EQ(*t.handle("Y", kT0).block, "");
}

TEST(SimTerminal, SRecordShowsTheClockAfterTAndTheClockRunsOn) {
    Terminal t = make_terminal();
    ASSERT_TRUE(acked(t.handle("T13061304090507", kT0)));
    const std::string s = *t.handle("S", kT0).block;
    ASSERT_EQ(s.size(), 27u);
    EXPECT_EQ(s.substr(0, 9), bytes({'S', 0x13, 0x06, 0x13, 0x04, 0x09, 0x05, 0x07, 0}));
    EXPECT_EQ(s.substr(9, 16), std::string("TOBRIN SIM 3") + std::string(4, '\0'));
    EXPECT_EQ(s.substr(25), std::string(2, '\0'));

    // Sunday 31 December 2023 23:59:59; two seconds on it is Monday 2024.
    ASSERT_TRUE(acked(t.handle("T23123107235959", kT0)));
    EXPECT_EQ(t.handle("S", kT0 + 2s).block->substr(1, 7),
              bytes({0x24, 0x01, 0x01, 0x01, 0x00, 0x00, 0x01}));
}

TEST(SimTerminal, MalformedClockCommandsAreRefusedAndLeaveTheClock) {
    Terminal t = make_terminal();
    const char* bad[] = {
        "T1306130409050",   // 13 digits
        "T130613040905071", // 15 digits
        "T13061304090A07",  // not a digit
        "T13023004090507",  // 30 February
        "T13061300090507",  // weekday 0
        "T13061304240507",  // hour 24
    };
    for (const char* text : bad) {
        EXPECT_FALSE(acked(t.handle(text, kT0))) << text;
    }
    EXPECT_EQ(t.clock().read(kT0), kJune13);
}

TEST(SimTerminal, CommandsThatChangeSettings) {
    Terminal t = make_terminal();
    // c, four characters, six 16-bit numbers high byte first.
    const std::string c = "cABCD" + bytes({0, 1, 0, 2, 0, 3, 0xFF, 0x9C, 0x27, 0x0F, 0x80, 0});
    ASSERT_TRUE(acked(t.handle(c, kT0)));
    const SetupNumbers& n = t.setup_numbers();
    EXPECT_TRUE(n.received);
    EXPECT_EQ(n.prefix, "ABCD");
    EXPECT_EQ(n.values, (std::array<std::uint16_t, 6>{1, 2, 3, 0xFF9C, 9999, 0x8000}));
    EXPECT_FALSE(acked(t.handle(c.substr(0, 16), kT0)));

    const CommandReply master = t.handle("O11", kT0);
    EXPECT_TRUE(acked(master));
    EXPECT_TRUE(master.role_changed);
    EXPECT_EQ(t.role(), Role::Master);
    EXPECT_FALSE(t.handle("O11", kT0).role_changed);
    EXPECT_TRUE(acked(t.handle("O00", kT0)));
    EXPECT_EQ(t.role(), Role::Slave);
    EXPECT_TRUE(acked(t.handle("O01", kT0)));
    EXPECT_EQ(t.role(), Role::Slave);

    for (const char* other : {"A", "Q", "Z123", "U"}) {
        const CommandReply reply = t.handle(other, kT0);
        EXPECT_TRUE(acked(reply)) << other;
        EXPECT_FALSE(reply.block.has_value()) << other;
    }
}

TEST(SimTerminal, SeedRecordsThatDoNotFitAreRejected) {
    TerminalSetup setup;
    setup.capacity = 1;
    PersonRecord r;
    r.letter = 'R';
    r.number = 1;
    setup.records = {r, r}; // the same person twice: one record
    EXPECT_NO_THROW(Terminal(setup, kT0));
    r.number = 2;
    setup.records.push_back(r);
    EXPECT_THROW(Terminal(setup, kT0), std::invalid_argument);

    PersonRecord half;
    half.letter = 'q';
    half.number = 5;
    setup.capacity = 10;
    setup.records = {half};
    EXPECT_THROW(Terminal(setup, kT0), std::invalid_argument);
}
