#include "terminal/AnswerDecoding.h"

#include "terminal/CodingError.h"
#include "terminal/CommandLetters.h"
#include "terminal/MealCode.h"

#include <array>
#include <optional>

namespace kelmora {

namespace {

constexpr std::size_t kMeals = 14;
constexpr std::size_t kMealOffset = 8;
constexpr std::size_t kDtOffset = 22;
constexpr std::size_t kDtBytes = 5;

struct Groups {
    std::string first, breakfast, dinner;
};

void AppendHex(std::string& out, std::uint8_t byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0x0F];
}

Groups MakeGroups(const std::uint8_t* record, const DecodeSettings& s) {
    if (!MealRadixUsable(s.MaxBreakfasts, s.MaxDinners)) {
        throw CodingError::DecodeRadixZero();
    }
    Groups g;
    const std::uint8_t* meals = record + kMealOffset;
    if (record[7] >= 0x80) {
        for (std::size_t k = 0; k < kMeals && meals[k] != 0; ++k) {
            g.first += static_cast<char>(meals[k]);
        }
        g.breakfast.assign(kMeals, '*');
        g.dinner.assign(kMeals, '*');
        return g;
    }
    for (std::size_t k = 0; k < kMeals; ++k) {
        const MealCodes codes = SplitMealByte(meals[k], s.MaxBreakfasts, s.MaxDinners);
        g.first += CodeCharacter(codes.first, s.Coding);
        g.breakfast += CodeCharacter(codes.breakfast, s.Coding);
        g.dinner += CodeCharacter(codes.dinner, s.Coding);
    }
    return g;
}

std::string PersonLine(const std::uint8_t* record, const Groups& groups, const Groups* pair,
                       bool dtUse) {
    std::string line;
    line.reserve(112);
    const CommandLetter& letter = LookUpLetter(static_cast<char>(record[0]));
    line += letter.shownAs != '\0' ? letter.shownAs : letter.letter;
    const int number = record[1] * 256 + record[2];
    if (number < 1000) {
        const std::string digits = std::to_string(number);
        line.append(4 - digits.size(), '0');
        line += digits;
    } else {
        line += std::to_string(number);
    }
    for (std::size_t i = 3; i <= 6; ++i) {
        AppendHex(line, record[i]);
    }
    line += record[7] == 0 ? ' ' : static_cast<char>(record[7]);
    for (const Groups* g : {&groups, pair}) {
        if (g != nullptr) {
            line += g->first;
            line += g->breakfast;
            line += g->dinner;
        }
    }
    if (dtUse) {
        for (std::size_t i = kDtOffset; i < kDtOffset + kDtBytes; ++i) {
            AppendHex(line, record[i]);
        }
    }
    return line;
}

std::string SLine(const std::uint8_t* record) {
    std::string line(1, static_cast<char>(record[0]));
    for (std::size_t i = 1; i <= 7; ++i) {
        AppendHex(line, record[i]);
    }
    for (std::size_t i = 9; i < 9 + 16 && record[i] != 0; ++i) {
        line += static_cast<char>(record[i]);
    }
    return line;
}

const CommandLetter& RecordLetter(const std::uint8_t* record) {
    return LookUpLetter(static_cast<char>(record[0]));
}

// The first record of `size` bytes whose letter is not one of `type`, or
// nothing when every record has its letter.
std::optional<std::size_t> RecordWithoutLetter(std::span<const std::uint8_t> block,
                                               std::size_t size, RecordType type) {
    for (std::size_t i = 0; i * size < block.size(); ++i) {
        if (RecordLetter(block.data() + i * size).record != type) {
            return i;
        }
    }
    return std::nullopt;
}

} // namespace

DecodeResult DecodeAnswer(std::span<const std::uint8_t> block, const DecodeSettings& settings,
                          std::vector<std::string>& lines) {
    DecodeResult result;
    if (block.empty()) {
        return result;
    }
    const RecordType type = RecordLetter(block.data()).record;
    auto notRecords = [&result](std::size_t record) {
        result.status = DecodeStatus::NotRecords;
        result.badRecord = record;
        return result;
    };
    if (type == RecordType::S) {
        if (block.size() % kSRecordSize != 0) {
            result.status = DecodeStatus::WrongSizeS;
            return result;
        }
        if (const auto bad = RecordWithoutLetter(block, kSRecordSize, RecordType::S)) {
            return notRecords(*bad);
        }
        result.records = static_cast<int>(block.size() / kSRecordSize);
        lines.push_back(SLine(block.data()));
        return result;
    }
    if (type != RecordType::Person) {
        return notRecords(0);
    }
    const std::size_t size = settings.DtUse ? kPersonRecordSizeDt : kPersonRecordSize;
    if (block.size() % size != 0) {
        result.status = DecodeStatus::WrongSizeRZ;
        return result;
    }
    if (const auto bad = RecordWithoutLetter(block, size, RecordType::Person)) {
        return notRecords(*bad);
    }
    const std::size_t count = block.size() / size;
    result.records = static_cast<int>(count);
    // The lines of a block reach the list together or not at all.
    std::vector<std::string> made;
    made.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* record = block.data() + i * size;
        const Groups groups = MakeGroups(record, settings);
        const std::uint8_t* next = i + 1 < count ? record + size : nullptr;
        if (next != nullptr && RecordLetter(next).pairsBehind) {
            const Groups second = MakeGroups(next, settings);
            made.push_back(PersonLine(record, groups, &second, settings.DtUse));
            ++i;
        } else {
            made.push_back(PersonLine(record, groups, nullptr, settings.DtUse));
        }
    }
    lines.insert(lines.end(), std::make_move_iterator(made.begin()),
                 std::make_move_iterator(made.end()));
    return result;
}

} // namespace kelmora
