// The characters that result lines use for the three codes of a meal byte,
// read back when a memory is seeded from such lines. Two variants exist; the
// coding switch selects one. A meal byte packs its codes as
// first * B * V + breakfast * V + dinner (B breakfasts, V dinners).
#pragma once

#include <optional>

namespace kelmora::sim {

struct MealRadices {
    bool coding = true;
    int breakfasts = 4;
    int dinners = 6;
};

// The value of a code character, or nothing when the active variant has no
// such character.
std::optional<int> code_value(char c, bool coding);

// The meal byte of three codes, or nothing when a code is out of range or the
// packed value does not fit a byte.
std::optional<int> pack_meal(int first, int breakfast, int dinner, const MealRadices& radices);

} // namespace kelmora::sim
