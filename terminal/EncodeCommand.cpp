#include "terminal/EncodeCommand.h"

#include "terminal/CodingError.h"
#include "terminal/CommandLetters.h"
#include "terminal/MealCode.h"
#include "terminal/NameTable.h"
#include "terminal/NumberField.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace kelmora {

namespace {

// Text positions of the record layout.
constexpr std::size_t kPersonNumberAt = 1;
constexpr std::size_t kPersonNumberWidth = 4;
constexpr std::size_t kCopiedAt = 5;
constexpr std::size_t kCopiedWidth = 9;
constexpr std::size_t kFlagAt = 13;
constexpr std::size_t kFirstRowAt = 14;
constexpr std::size_t kBreakfastRowAt = 28;
constexpr std::size_t kDinnerRowAt = 42;
constexpr std::size_t kMealPositions = 14;
constexpr std::size_t kNameAt = 56;
constexpr std::size_t kNameWidth = 14;
constexpr std::size_t kCreditCharAt = 70;
constexpr std::size_t kCreditAt = 71;
constexpr std::size_t kCreditWidth = 6;

// Payload positions of the record layout.
constexpr std::size_t kPayloadMealsAt = 12;
constexpr std::size_t kPayloadNameAt = 26;
constexpr std::size_t kPayloadCreditCharAt = 40;
constexpr std::size_t kPayloadCreditAt = 41;
constexpr int kRecordLength = 40;
constexpr int kRecordCreditLength = 43;

// Command c.
constexpr std::size_t kCCopiedWidth = 5;
constexpr std::size_t kCNumbers = 6;
constexpr std::size_t kCFieldWidth = 4;
constexpr int kCLength = 17;

constexpr std::int32_t kCreditLimit = 31000;
constexpr std::uint8_t kRawFlag = 0x80;

constexpr std::string_view kBadBreakfast = "Spatne kodovani snidani";
constexpr std::string_view kBadDinner = "Spatne kodovani veceri";

// Large enough for every converted layout and its closing zero byte.
using Payload = std::array<std::uint8_t, kRecordCreditLength + 1>;

std::uint8_t ByteAt(const CommandBuffer& buffer, std::size_t pos) {
    return static_cast<std::uint8_t>(buffer[pos]);
}

std::string_view FieldAt(const CommandBuffer& buffer, std::size_t pos, std::size_t width) {
    return std::string_view(buffer.data() + pos, width);
}

void PutWord(Payload& payload, std::size_t at, std::uint16_t word) {
    payload[at] = static_cast<std::uint8_t>(word >> 8);
    payload[at + 1] = static_cast<std::uint8_t>(word & 0xFF);
}

// A valid number field goes in as its low 16 bits; an invalid one leaves the
// bytes at zero.
void PutNumberField(Payload& payload, std::size_t at, const CommandBuffer& buffer, std::size_t pos,
                    std::size_t width) {
    if (const auto value = ReadNumberField(FieldAt(buffer, pos, width))) {
        PutWord(payload, at, static_cast<std::uint16_t>(static_cast<std::uint32_t>(*value)));
    }
}

void CopyBytes(Payload& payload, std::size_t at, const CommandBuffer& buffer, std::size_t pos,
               std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        payload[at + i] = ByteAt(buffer, pos + i);
    }
}

// Packs the three code rows into the fourteen meal bytes. Each row is done
// over all positions before the next, so the log lists breakfast complaints
// before dinner complaints. An out-of-range code leaves its meal byte as the
// earlier rows made it.
void CodeMeals(Payload& payload, const CommandBuffer& buffer, const CodingSettings& settings,
               const EventSink& logEvent) {
    const int b = settings.MaxBreakfasts;
    const int v = settings.MaxDinners;
    const auto log = [&](std::string_view line) {
        if (logEvent) {
            logEvent(line);
        }
    };
    std::array<std::uint8_t, kMealPositions> meals{};
    const auto codeAt = [&](std::size_t row, std::size_t k) {
        return CodeValue(buffer[row + k], settings.Coding);
    };

    for (std::size_t k = 0; k < kMealPositions; ++k) {
        MealCodes codes = SplitMealByte(meals[k], b, v);
        codes.first = codeAt(kFirstRowAt, k);
        meals[k] = JoinMealByte(codes, b, v);
    }
    bool complained = false;
    for (std::size_t k = 0; k < kMealPositions; ++k) {
        const int f = codeAt(kBreakfastRowAt, k);
        if (f >= b) {
            log(kBadBreakfast);
            complained = true;
            continue;
        }
        MealCodes codes = SplitMealByte(meals[k], b, v);
        codes.breakfast = f;
        meals[k] = JoinMealByte(codes, b, v);
    }
    for (std::size_t k = 0; k < kMealPositions; ++k) {
        const int f = codeAt(kDinnerRowAt, k);
        if (f >= v) {
            log(kBadDinner);
            complained = true;
            continue;
        }
        MealCodes codes = SplitMealByte(meals[k], b, v);
        codes.dinner = f;
        meals[k] = JoinMealByte(codes, b, v);
    }
    if (complained) {
        // The buffer still holds the text: the payload is written only later.
        log(CommandText(buffer));
    }
    std::copy(meals.begin(), meals.end(), payload.begin() + kPayloadMealsAt);
}

// The credit word of Q: positions 71-76 must form a number field. A '-' in
// 71 makes it negative: clamped to -31000, stored as the magnitude's one's
// complement. Otherwise 72-76 give the value, its low 16 bits clamped to 31000.
std::uint16_t CreditWord(const CommandBuffer& buffer) {
    const auto whole = ReadNumberField(FieldAt(buffer, kCreditAt, kCreditWidth));
    if (!whole) {
        return 0;
    }
    if (buffer[kCreditAt] == '-') {
        // A field that starts with '-' is never positive, so the magnitude lies
        // in 0..31000; the clamp keeps the word in range regardless.
        const std::int32_t magnitude =
            std::clamp(-std::max(*whole, -kCreditLimit), std::int32_t{0}, kCreditLimit);
        return static_cast<std::uint16_t>(0xFFFF - magnitude);
    }
    const auto rest = ReadNumberField(FieldAt(buffer, kCreditAt + 1, kCreditWidth - 1));
    if (!rest) {
        return 0;
    }
    const auto low = static_cast<std::uint16_t>(static_cast<std::uint32_t>(*rest));
    return std::min<std::uint16_t>(low, kCreditLimit);
}

int EncodeRecord(CommandBuffer& buffer, const CommandLetter& letter, const CodingSettings& settings,
                 const EventSink& logEvent) {
    Payload payload{};
    payload[0] = static_cast<std::uint8_t>(letter.sentAs != '\0' ? letter.sentAs : letter.letter);
    PutNumberField(payload, 1, buffer, kPersonNumberAt, kPersonNumberWidth);
    CopyBytes(payload, 3, buffer, kCopiedAt, kCopiedWidth);

    if ((ByteAt(buffer, kFlagAt) & kRawFlag) != 0) {
        CopyBytes(payload, kPayloadMealsAt, buffer, kFirstRowAt, kMealPositions);
    } else {
        if (!MealRadixUsable(settings.MaxBreakfasts, settings.MaxDinners)) {
            throw CodingError::EncodeRadixZero();
        }
        CodeMeals(payload, buffer, settings, logEvent);
    }

    for (std::size_t i = 0; i < kNameWidth; ++i) {
        payload[kPayloadNameAt + i] = TranslateNameByte(ByteAt(buffer, kNameAt + i));
    }

    int length = kRecordLength;
    if (letter.credit && settings.Credit) {
        payload[kPayloadCreditCharAt] = ByteAt(buffer, kCreditCharAt);
        PutWord(payload, kPayloadCreditAt, CreditWord(buffer));
        length = kRecordCreditLength;
    }
    // payload[length] is still zero: it becomes the closing zero byte.
    std::copy_n(payload.begin(), length + 1, buffer.begin());
    return length;
}

int EncodeSixNumbers(CommandBuffer& buffer) {
    Payload payload{};
    CopyBytes(payload, 0, buffer, 0, kCCopiedWidth);
    for (std::size_t i = 1; i <= kCNumbers; ++i) {
        PutNumberField(payload, 3 + 2 * i, buffer, 5 * i + 1, kCFieldWidth);
    }
    std::copy_n(payload.begin(), kCLength + 1, buffer.begin());
    return kCLength;
}

} // namespace

std::optional<CommandBuffer> MakeCommandBuffer(std::string_view text) {
    if (text.size() >= kCommandBufferSize) {
        return std::nullopt;
    }
    CommandBuffer buffer{};
    std::copy(text.begin(), text.end(), buffer.begin());
    return buffer;
}

std::string_view CommandText(const CommandBuffer& buffer) {
    const auto end = std::find(buffer.begin(), buffer.end(), '\0');
    return std::string_view(buffer.data(), static_cast<std::size_t>(end - buffer.begin()));
}

int EncodeCommand(CommandBuffer& buffer, const CodingSettings& settings,
                  const EventSink& logEvent) {
    const CommandLetter& letter = LookUpLetter(buffer[0]);
    switch (letter.layout) {
    case PayloadLayout::PersonRecord:
        return EncodeRecord(buffer, letter, settings, logEvent);
    case PayloadLayout::SixNumbers:
        return EncodeSixNumbers(buffer);
    case PayloadLayout::Text:
        break;
    }
    const std::size_t length = CommandText(buffer).size();
    return length > static_cast<std::size_t>(kMaxPayload) ? kPayloadTooLong
                                                          : static_cast<int>(length);
}

} // namespace kelmora
