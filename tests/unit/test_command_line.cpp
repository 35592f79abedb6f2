#include "terminal/CommandLine.h"
#include "terminal/EncodeCommand.h"

#include <gtest/gtest.h>

#include <string>

using namespace kelmora;

namespace {

TEST(CommandLineShape, ClassifiedByLengthAndLetter) {
    struct Case {
        std::size_t length;
        char letter;
        LineShape expected;
    };
    const Case cases[] = {
        {0, 'S', LineShape::Empty},     {1, 'S', LineShape::OneFrame},
        {97, 'S', LineShape::OneFrame}, {97, 'Q', LineShape::OneFrame},
        {98, 'Q', LineShape::TwoPart},  {98, 'R', LineShape::TwoPart},
        {121, 'R', LineShape::TwoPart}, {122, 'Q', LineShape::TooLong},
        {201, 'Q', LineShape::TooLong}, {98, 'S', LineShape::TooLong},
        {98, 'q', LineShape::TooLong},  {98, 'r', LineShape::TooLong},
        {110, 'c', LineShape::TooLong}, {5000, 'S', LineShape::TooLong},
    };
    for (const auto& c : cases) {
        std::string line(c.length, '0');
        if (!line.empty()) {
            line[0] = c.letter;
        }
        EXPECT_EQ(ClassifyCommandLine(line), c.expected) << c.letter << " x " << c.length;
    }
    EXPECT_EQ(ClassifyCommandLine(" "), LineShape::OneFrame);
    // A NUL would end the frame early, wherever it stands.
    for (const std::string_view line :
         {std::string_view("\0", 1), std::string_view("S\0X", 3), std::string_view("N\0", 2)}) {
        EXPECT_EQ(ClassifyCommandLine(line), LineShape::HoldsNul);
    }
}

// A line whose every character tells its own position, so a misplaced
// character shows where it came from.
std::string PositionalLine(char letter, std::size_t length) {
    std::string line(length, ' ');
    line[0] = letter;
    for (std::size_t i = 1; i < length; ++i) {
        line[i] = static_cast<char>(0x21 + i % 94);
    }
    return line;
}

TEST(TwoPartLine, SplitsIntoTwoRecordCommands) {
    const std::string line = PositionalLine('R', 112);
    const auto parts = SplitTwoPartLine(line);
    ASSERT_TRUE(parts.has_value());
    EXPECT_EQ(parts->first, line.substr(0, 56) + line.substr(98));
    EXPECT_EQ(parts->second, "r" + line.substr(1, 13) + line.substr(56));
    EXPECT_EQ(parts->first.size(), 70U);
    EXPECT_EQ(parts->second.size(), 70U);

    // Q becomes q; the longest line gives parts that fit 80 bytes with a zero.
    const auto longest = SplitTwoPartLine(PositionalLine('Q', 121));
    ASSERT_TRUE(longest.has_value());
    EXPECT_EQ(longest->first[0], 'Q');
    EXPECT_EQ(longest->second[0], 'q');
    EXPECT_EQ(longest->first.size(), 79U);
    EXPECT_EQ(longest->second.size(), 79U);
}

TEST(TwoPartLine, OnlyTwoPartLinesAreSplit) {
    for (const std::string& line :
         {std::string(), std::string("S"), PositionalLine('Q', 97), PositionalLine('S', 100),
          PositionalLine('R', 122), PositionalLine('q', 110)}) {
        EXPECT_FALSE(SplitTwoPartLine(line).has_value()) << line.size() << line.substr(0, 1);
    }
}

// The parts of a 28-position record carry positions 1-14 and 15-28 with the
// same person, name and (part one only) credit.
TEST(TwoPartLine, PartsEncodeAsTheirHalvesOfTheRecord) {
    const std::string head = "Q0x2A"
                             "ABCDEFGH0";
    const std::string codes1 = std::string(14, '1') + std::string(14, 'A') + std::string(14, '2');
    const std::string codes2 = std::string(14, '*') + std::string(14, '0') + std::string(14, 'B');
    const std::string name = "Dvorak Petr   ";
    const std::string line = head + codes1 + codes2 + name + "#" + "+00500";
    ASSERT_EQ(line.size(), 119U);
    const auto parts = SplitTwoPartLine(line);
    ASSERT_TRUE(parts.has_value());

    const CodingSettings settings{true, 4, 6, true};
    auto first = *MakeCommandBuffer(parts->first);
    auto second = *MakeCommandBuffer(parts->second);
    ASSERT_EQ(EncodeCommand(first, settings, nullptr), 43);
    ASSERT_EQ(EncodeCommand(second, settings, nullptr), 40);

    const std::string common = std::string("\x00\x2A", 2) + "ABCDEFGH0";
    EXPECT_EQ(std::string(first.data(), 44),
              "X" + common + std::string(14, '\x46') + name + "#" + std::string("\x01\xF4\x00", 3));
    // Positions 15-28: first '*' (0), breakfast '0' (1), dinner 'B' (5).
    EXPECT_EQ(std::string(second.data(), 41),
              "q" + common + std::string(14, '\x0B') + name + std::string(1, '\0'));
}

} // namespace
