#include "terminal/CommandLine.h"

#include "terminal/CommandLetters.h"

namespace kelmora {

namespace {

constexpr std::size_t kFirstPartCodesEnd = 56; // part one: 0-55
constexpr std::size_t kSharedHead = 14;        // part two: 0-13
constexpr std::size_t kSecondCodesAt = 56;     // part two: 56-end
constexpr std::size_t kNameAt = 98;            // part one: 98-end

} // namespace

LineShape ClassifyCommandLine(std::string_view line) {
    if (line.empty()) {
        return LineShape::Empty;
    }
    if (line.find('\0') != std::string_view::npos) {
        return LineShape::HoldsNul;
    }
    if (line.size() <= kMaxOneFrameLine) {
        return LineShape::OneFrame;
    }
    if (line.size() <= kMaxTwoPartLine && LookUpLetter(line[0]).secondPart != '\0') {
        return LineShape::TwoPart;
    }
    return LineShape::TooLong;
}

std::optional<TwoPartRecord> SplitTwoPartLine(std::string_view line) {
    if (ClassifyCommandLine(line) != LineShape::TwoPart) {
        return std::nullopt;
    }
    TwoPartRecord parts;
    parts.first.reserve(line.size() - 42);
    parts.first.append(line.substr(0, kFirstPartCodesEnd));
    parts.first.append(line.substr(kNameAt));

    parts.second.reserve(line.size() - 42);
    parts.second.push_back(LookUpLetter(line[0]).secondPart);
    parts.second.append(line.substr(1, kSharedHead - 1));
    parts.second.append(line.substr(kSecondCodesAt));
    return parts;
}

} // namespace kelmora
