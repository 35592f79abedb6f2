#include "terminal/MealCode.h"

#include <gtest/gtest.h>

#include <string>

using namespace kelmora;

namespace {

// The code alphabet as the terminals print it, value by value.
const std::string kPlain = "*N01A2B3C4D5E6F7G8H";
const std::string kCoded = "*01A2B3C4D5E6F7G8H";

TEST(CodeAlphabet, ValueToCharacterInBothColumns) {
    for (int value = 0; value < 19; ++value) {
        EXPECT_EQ(CodeCharacter(value, false), kPlain[static_cast<std::size_t>(value)]) << value;
    }
    for (int value = 0; value < 18; ++value) {
        EXPECT_EQ(CodeCharacter(value, true), kCoded[static_cast<std::size_t>(value)]) << value;
    }
    // Outside the active column: '0'.
    EXPECT_EQ(CodeCharacter(18, true), '0');
    EXPECT_EQ(CodeCharacter(19, false), '0');
    EXPECT_EQ(CodeCharacter(200, true), '0');
    EXPECT_EQ(CodeCharacter(-1, false), '0');
}

TEST(CodeAlphabet, CharacterToValueRoundTripsTheColumn) {
    for (bool coding : {false, true}) {
        const std::string& column = coding ? kCoded : kPlain;
        for (std::size_t value = 0; value < column.size(); ++value) {
            EXPECT_EQ(CodeValue(column[value], coding), static_cast<int>(value))
                << column[value] << " coding " << coding;
        }
    }
}

TEST(CodeAlphabet, CharactersOutsideTheActiveColumnReadAsZero) {
    struct Case {
        char character;
        bool coding;
    };
    const Case cases[] = {
        {'N', true}, {'a', false}, {'n', true},  {' ', false},    {'\0', true},
        {'9', true}, {'9', false}, {'I', false}, {'\x80', false}, {'\xFF', true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CodeValue(c.character, c.coding), 0)
            << static_cast<int>(c.character) << " coding " << c.coding;
    }
    // The same characters mean different values in the two columns.
    EXPECT_EQ(CodeValue('0', false), 2);
    EXPECT_EQ(CodeValue('0', true), 1);
    EXPECT_EQ(CodeValue('H', false), 18);
    EXPECT_EQ(CodeValue('H', true), 17);
}

TEST(MealByte, PacksFirstBreakfastDinner) {
    // '1', 'A', '2' with the coding flag on are 2, 3, 4: 2*24 + 3*6 + 4 = 0x46.
    EXPECT_EQ(JoinMealByte({2, 3, 4}, 4, 6), 0x46);
    const MealCodes codes = SplitMealByte(0x46, 4, 6);
    EXPECT_EQ(CodeCharacter(codes.first, true), '1');
    EXPECT_EQ(CodeCharacter(codes.breakfast, true), 'A');
    EXPECT_EQ(CodeCharacter(codes.dinner, true), '2');
    // 'N', '0', '1' with the coding flag off are 1, 2, 3: 24 + 12 + 3 = 0x27.
    EXPECT_EQ(JoinMealByte({1, 2, 3}, 4, 6), 0x27);
}

TEST(MealByte, EveryByteSplitsAndJoinsBackForAnyRadix) {
    const int radices[][2] = {{4, 6}, {1, 1}, {2, 3}, {7, 5}, {16, 16}, {300, 2}, {1, 1000}};
    for (const auto& r : radices) {
        for (int byte = 0; byte < 256; ++byte) {
            const MealCodes codes = SplitMealByte(static_cast<std::uint8_t>(byte), r[0], r[1]);
            EXPECT_LT(codes.breakfast, r[0]);
            EXPECT_LT(codes.dinner, r[1]);
            EXPECT_EQ(JoinMealByte(codes, r[0], r[1]), byte) << "B " << r[0] << " V " << r[1];
        }
    }
}

TEST(MealByte, TooLargeFirstCodeWrapsToTheLowEightBits) {
    // 17 * 24 = 408, and 408 mod 256 = 152.
    EXPECT_EQ(JoinMealByte({17, 0, 0}, 4, 6), 152);
    // Huge radices must not overflow: only the low 8 bits are kept.
    const int big = 0x7FFFFFFF;
    const unsigned expected =
        static_cast<unsigned>((5ULL + static_cast<unsigned long long>(big) *
                                          (3ULL + static_cast<unsigned long long>(big) * 2ULL)) &
                              0xFF);
    EXPECT_EQ(JoinMealByte({2, 3, 5}, big, big), expected);
}

TEST(MealByte, UnusableRadixNeverDividesByZero) {
    for (const auto& r : {std::pair{0, 6}, std::pair{4, 0}, std::pair{-4, 6}, std::pair{4, -1}}) {
        EXPECT_FALSE(MealRadixUsable(r.first, r.second));
        const MealCodes codes = SplitMealByte(0xFF, r.first, r.second);
        EXPECT_EQ(codes.first + codes.breakfast + codes.dinner, 0);
        EXPECT_EQ(JoinMealByte({1, 1, 1}, r.first, r.second), 0);
    }
    EXPECT_TRUE(MealRadixUsable(1, 1));
}

} // namespace
