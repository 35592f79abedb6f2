#include "terminal/CommandLetters.h"

#include <cstddef>

namespace kelmora {

namespace {

constexpr std::size_t kByteValues = 256;

constexpr std::size_t IndexOf(char letter) {
    return static_cast<unsigned char>(letter);
}

// The place of `letter`'s row, or the table's size when it has none.
constexpr std::size_t FindRow(char letter) {
    std::size_t i = 0;
    while (i < kCommandLetters.size() && kCommandLetters[i].letter != letter) {
        ++i;
    }
    return i;
}

// What a row must keep for the pieces that read it to work together.
constexpr bool RowsAgree() {
    for (std::size_t i = 0; i < kCommandLetters.size(); ++i) {
        const CommandLetter& row = kCommandLetters[i];
        if (row.letter == '\0') {
            return false; // NUL ends a command's text: it is never a letter
        }
        for (std::size_t j = i + 1; j < kCommandLetters.size(); ++j) {
            if (kCommandLetters[j].letter == row.letter) {
                return false;
            }
        }
        const bool record = row.layout == PayloadLayout::PersonRecord;
        // Only the record layout writes its own first byte and a credit.
        if ((row.sentAs != '\0' || row.credit || row.secondPart != '\0') && !record) {
            return false;
        }
        // A two-part line's second record is a record that has no second part.
        if (row.secondPart != '\0') {
            const std::size_t second = FindRow(row.secondPart);
            if (second == kCommandLetters.size() ||
                kCommandLetters[second].layout != PayloadLayout::PersonRecord ||
                kCommandLetters[second].secondPart != '\0') {
                return false;
            }
        }
        if ((row.shownAs != '\0' || row.pairsBehind) && row.record != RecordType::Person) {
            return false;
        }
    }
    return true;
}
static_assert(RowsAgree(), "kCommandLetters: a row that the pieces reading it cannot follow");

constexpr std::array<CommandLetter, kByteValues> MakeIndex() {
    std::array<CommandLetter, kByteValues> index{};
    for (std::size_t i = 0; i < kByteValues; ++i) {
        index[i].letter = static_cast<char>(i);
    }
    for (const CommandLetter& row : kCommandLetters) {
        index[IndexOf(row.letter)] = row;
    }
    return index;
}

constexpr std::array<CommandLetter, kByteValues> kIndex = MakeIndex();

} // namespace

const CommandLetter& LookUpLetter(char letter) {
    return kIndex[IndexOf(letter)];
}

} // namespace kelmora
