#include "terminal/MealCode.h"

#include <string_view>

namespace kelmora {

namespace {

// Index = code value. The two columns share their tail: the flag-on column is
// the flag-off column without its 'N'.
constexpr std::string_view kColumnPlain = "*N01A2B3C4D5E6F7G8H";
constexpr std::string_view kColumnCoded = "*01A2B3C4D5E6F7G8H";

constexpr std::string_view Column(bool coding) {
    return coding ? kColumnCoded : kColumnPlain;
}

} // namespace

MealCodes SplitMealByte(std::uint8_t byte, int breakfasts, int dinners) {
    if (!MealRadixUsable(breakfasts, dinners)) {
        return {};
    }
    const int perDinner = byte / dinners;
    // byte / (B * V) computed as (byte / V) / B: the same for positive radices,
    // and B * V cannot overflow.
    return MealCodes{perDinner / breakfasts, perDinner % breakfasts, byte % dinners};
}

std::uint8_t JoinMealByte(const MealCodes& codes, int breakfasts, int dinners) {
    if (!MealRadixUsable(breakfasts, dinners)) {
        return 0;
    }
    // Unsigned arithmetic wraps modulo 2^64, which keeps the low 8 bits of the
    // exact result however large the radices and codes are.
    const auto b = static_cast<std::uint64_t>(breakfasts);
    const auto v = static_cast<std::uint64_t>(dinners);
    const std::uint64_t packed = static_cast<std::uint64_t>(codes.dinner) +
                                 v * (static_cast<std::uint64_t>(codes.breakfast) +
                                      b * static_cast<std::uint64_t>(codes.first));
    return static_cast<std::uint8_t>(packed & 0xFF);
}

char CodeCharacter(int value, bool coding) {
    const std::string_view column = Column(coding);
    if (value < 0 || static_cast<std::size_t>(value) >= column.size()) {
        return '0';
    }
    return column[static_cast<std::size_t>(value)];
}

int CodeValue(char character, bool coding) {
    const std::string_view column = Column(coding);
    // '0' appears once per column, so find() gives the one value it stands for.
    const std::size_t at = column.find(character);
    return at == std::string_view::npos ? 0 : static_cast<int>(at);
}

} // namespace kelmora
