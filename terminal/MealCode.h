// The meal byte and the code alphabet: how a terminal packs the first,
// breakfast and dinner code of one meal position into one byte, and how each
// code is written as one character. Encoding record commands and decoding
// downloaded records use the same functions, so the two cannot drift apart.
//
// With B breakfasts and V dinners (the radices, from the configuration) a meal
// byte is d * B * V + b * V + c: dinner code c = byte mod V, breakfast code
// b = (byte / V) mod B, first code d = byte / (B * V).
#pragma once

#include <cstdint>

namespace kelmora {

struct MealCodes {
    int first = 0;
    int breakfast = 0;
    int dinner = 0;
};

// Meal coding needs both radices to be at least 1. Zero would divide by zero
// and a negative radix gives no sensible packing, so callers treat any value
// below 1 as a configuration that makes meal coding impossible.
constexpr bool MealRadixUsable(int breakfasts, int dinners) {
    return breakfasts >= 1 && dinners >= 1;
}

// Splits a meal byte into its three codes. With an unusable radix every code
// is 0 (callers check MealRadixUsable first and raise their error).
MealCodes SplitMealByte(std::uint8_t byte, int breakfasts, int dinners);

// Puts the codes back together as c + V * (b + B * d) and keeps the low 8
// bits: a first code too large for the byte wraps instead of saturating. With
// an unusable radix the result is 0.
std::uint8_t JoinMealByte(const MealCodes& codes, int breakfasts, int dinners);

// The code alphabet. The coding flag selects the column:
//
//   value      0  1  2  3  4  5  6  7  8  9  10 11 12 13 14 15 16 17 18
//   flag off   *  N  0  1  A  2  B  3  C  4  D  5  E  6  F  7  G  8  H
//   flag on    *  0  1  A  2  B  3  C  4  D  5  E  6  F  7  G  8  H
//
// A value outside the active column (negative, above 18, or above 17 with
// the flag on) is written as '0'.
char CodeCharacter(int value, bool coding);

// The value of a character in the active column. A character that is not in
// it (lower-case letters, blanks, zero bytes, 'N' with the flag on, ...)
// reads as 0, the same as '*'.
int CodeValue(char character, bool coding);

} // namespace kelmora
