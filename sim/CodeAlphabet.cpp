#include "sim/CodeAlphabet.h"

#include <string_view>

namespace kelmora::sim {

namespace {

// Index = value. The plain variant has one more letter ('N' for 1).
constexpr std::string_view kCoded = "*01A2B3C4D5E6F7G8H";
constexpr std::string_view kPlain = "*N01A2B3C4D5E6F7G8H";

constexpr std::string_view alphabet(bool coding) {
    return coding ? kCoded : kPlain;
}

} // namespace

std::optional<int> code_value(char c, bool coding) {
    const auto pos = alphabet(coding).find(c);
    if (pos == std::string_view::npos) {
        return std::nullopt;
    }
    return static_cast<int>(pos);
}

std::optional<int> pack_meal(int first, int breakfast, int dinner, const MealRadices& radices) {
    const int b = radices.breakfasts;
    const int v = radices.dinners;
    if (b <= 0 || v <= 0 || first < 0 || breakfast < 0 || breakfast >= b || dinner < 0 ||
        dinner >= v) {
        return std::nullopt;
    }
    const long value = static_cast<long>(first) * b * v + static_cast<long>(breakfast) * v + dinner;
    if (value > 255) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

} // namespace kelmora::sim
