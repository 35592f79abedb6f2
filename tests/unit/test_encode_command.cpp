#include "platform/Cp1250.h"
#include "terminal/CodingError.h"
#include "terminal/EncodeCommand.h"
#include "terminal/NameTable.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

using namespace kelmora;
using namespace kelmora::literals;

namespace {

// "58 00 1F ...": payloads compare as hex so a failure shows the bytes.
std::string Hex(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        char two[4];
        std::snprintf(two, sizeof two, "%02X", static_cast<unsigned char>(c));
        if (!out.empty()) {
            out += ' ';
        }
        out += two;
    }
    return out;
}

std::string Zeros(std::size_t n) {
    return std::string(n, '\0');
}

// One record text in its fixed-width layout; every field has its width.
struct Record {
    char letter = 'Q';
    std::string number = "0x1F";
    std::string nine = "ABCDEFGH0"; // its last character is the flag character
    std::string first = std::string(14, '1');
    std::string breakfast = std::string(14, 'A');
    std::string dinner = std::string(14, '2');
    std::string name = "Novak Jan     ";
    char creditChar = '#';
    std::string credit = "+01234";

    std::string Text() const {
        return std::string(1, letter) + number + nine + first + breakfast + dinner + name +
               creditChar + credit;
    }
};

struct Encoded {
    int length = 0;
    std::string payload; // the payload and the zero byte behind it
    std::vector<std::string> log;
    CommandBuffer buffer{};
};

Encoded Encode(std::string_view text, const CodingSettings& settings = {}) {
    Encoded e;
    const auto buffer = MakeCommandBuffer(text);
    EXPECT_TRUE(buffer.has_value());
    e.buffer = *buffer;
    e.length =
        EncodeCommand(e.buffer, settings, [&](std::string_view line) { e.log.emplace_back(line); });
    if (e.length >= 0) {
        e.payload.assign(e.buffer.data(), static_cast<std::size_t>(e.length) + 1);
    }
    return e;
}

CodingSettings Settings(bool coding, int b, int v, bool credit = true) {
    return CodingSettings{coding, b, v, credit};
}

TEST(EncodePassThrough, OtherLettersTravelAsTyped) {
    for (const std::string text :
         {"S", "O00", "O11", "Y", "P", "C", "T2301241530", "x Q", " Q", ""}) {
        const auto before = *MakeCommandBuffer(text);
        const Encoded e = Encode(text, Settings(true, 0, 0)); // radices play no part
        EXPECT_EQ(e.length, static_cast<int>(text.size())) << text;
        EXPECT_EQ(e.buffer, before) << text;
        EXPECT_TRUE(e.log.empty());
    }
    EXPECT_EQ(Hex(Encode("O00").payload), "4F 30 30 00");
}

TEST(EncodePassThrough, TextBeyondOneFrameIsRefusedUntouched) {
    EXPECT_EQ(Encode(std::string(97, 'S')).length, 97);
    const Encoded tooLong = Encode(std::string(98, 'S'));
    EXPECT_EQ(tooLong.length, kPayloadTooLong);
    EXPECT_EQ(tooLong.buffer, *MakeCommandBuffer(std::string(98, 'S')));

    // No zero byte anywhere: still nothing read or written outside the buffer.
    CommandBuffer full;
    full.fill('\xE9');
    full[0] = 'S';
    const CommandBuffer before = full;
    EXPECT_EQ(EncodeCommand(full, {}, nullptr), kPayloadTooLong);
    EXPECT_EQ(full, before);
}

TEST(CommandBufferText, MakeRefusesWhatDoesNotFitWithItsZeroByte) {
    EXPECT_TRUE(MakeCommandBuffer(std::string(199, 'S')).has_value());
    EXPECT_FALSE(MakeCommandBuffer(std::string(200, 'S')).has_value());
    const auto b = *MakeCommandBuffer("Y");
    EXPECT_EQ(CommandText(b), "Y");
    EXPECT_EQ(b[1], '\0');
    EXPECT_EQ(b[199], '\0');
}

TEST(EncodeRecord, FieldsLandInTheirPayloadBytes) {
    const Record r;
    const std::string common =
        std::string("\x00\x1F", 2) + "ABCDEFGH0" + std::string(14, '\x46') + "Novak Jan     ";
    struct Case {
        char letter;
        bool credit;
        std::string expected;
    };
    const Case cases[] = {
        {'Q', true, "X" + common + "#\x04\xD2" + Zeros(1)},
        {'Q', false, "X" + common + Zeros(1)},
        {'R', true, "R" + common + Zeros(1)},
        {'q', true, "q" + common + Zeros(1)},
        {'r', false, "r" + common + Zeros(1)},
    };
    for (const auto& c : cases) {
        Record rec = r;
        rec.letter = c.letter;
        const Encoded e = Encode(rec.Text(), Settings(true, 4, 6, c.credit));
        EXPECT_EQ(e.length, static_cast<int>(c.expected.size()) - 1) << c.letter;
        EXPECT_EQ(Hex(e.payload), Hex(c.expected)) << c.letter << " credit " << c.credit;
        EXPECT_TRUE(e.log.empty());
    }
}

TEST(EncodeRecord, LoneQIsAllZeroFields) {
    EXPECT_EQ(Hex(Encode("Q", Settings(true, 4, 6, true)).payload), Hex("X" + Zeros(43)));
    EXPECT_EQ(Encode("Q", Settings(true, 4, 6, true)).length, 43);
    EXPECT_EQ(Hex(Encode("Q", Settings(true, 4, 6, false)).payload), Hex("X" + Zeros(40)));
}

TEST(EncodeRecord, MealByteFromTheThreeRows) {
    struct Case {
        bool coding;
        int b, v;
        char first, breakfast, dinner;
        unsigned expected;
    };
    const Case cases[] = {
        {true, 4, 6, '1', 'A', '2', 0x46},
        {false, 4, 6, 'N', '0', '1', 0x27},
        {true, 2, 3, 'A', '0', '1', 0x17},
        {true, 4, 6, '*', '*', '*', 0x00},
        {true, 4, 6, 'x', 'a', ' ', 0x00}, // outside the column reads as 0
        {true, 4, 6, 'N', '*', '*', 0x00}, // 'N' exists only with the flag off
        {true, 1, 1, '5', '*', '*', 0x0A},
        // First code 17: 17*24 = 408 wraps to 152, which the breakfast and
        // dinner rows then split as d=6, b=1, c=2 and set to 6*24 = 144.
        {true, 4, 6, 'H', '*', '*', 0x90},
        // First code 18 wraps to 176 (d=7, b=1, c=2); then b=3, c=5.
        {false, 4, 6, 'H', '1', '2', 0xBF},
    };
    std::size_t k = 0;
    for (const auto& c : cases) {
        Record rec;
        rec.first = rec.breakfast = rec.dinner = std::string(14, '*');
        rec.first[k] = c.first;
        rec.breakfast[k] = c.breakfast;
        rec.dinner[k] = c.dinner;
        const Encoded e = Encode(rec.Text(), Settings(c.coding, c.b, c.v));
        std::string meals(14, '\0');
        meals[k] = static_cast<char>(c.expected);
        EXPECT_EQ(Hex(e.payload.substr(12, 14)), Hex(meals))
            << c.first << c.breakfast << c.dinner << " at position " << k + 1;
        EXPECT_TRUE(e.log.empty());
        k = (k + 5) % 14;
    }
}

TEST(EncodeRecord, EachPositionTakesItsOwnColumnOfCodes) {
    Record rec;
    rec.first = "*N01A2B3C4D5E6";     // 0 to 13 with the flag off
    rec.breakfast = "*N*N*N*N*N*N*N"; // 0, 1, ...
    rec.dinner = "*N0*N0*N0*N0*N";    // 0, 1, 2, ...
    const Encoded e = Encode(rec.Text(), Settings(false, 2, 3));
    std::string meals;
    for (int k = 0; k < 14; ++k) {
        meals += static_cast<char>(6 * k + 3 * (k % 2) + k % 3);
    }
    EXPECT_EQ(Hex(e.payload.substr(12, 14)), Hex(meals));
}

TEST(EncodeRecord, OutOfRangeCodesAreLoggedInRowOrderAndStillSent) {
    // B = 4, V = 6, flag on: breakfast '2' (4) and 'C' (7) are out of range,
    // 'A' (3) is the largest that fits; dinner '4' (8) is out of range.
    Record rec;
    rec.first = std::string(14, '1');
    rec.breakfast = "AA2AAC" + std::string(8, 'A');
    rec.dinner = "2422222222222"
                 "4";
    const std::string text = rec.Text();
    const Encoded e = Encode(text, Settings(true, 4, 6));

    const std::vector<std::string> expectedLog = {
        "Spatne kodovani snidani", "Spatne kodovani snidani", "Spatne kodovani veceri",
        "Spatne kodovani veceri", text};
    EXPECT_EQ(e.log, expectedLog);
    ASSERT_EQ(e.length, 43);
    // A rejected code leaves the byte as the earlier rows made it:
    // breakfast rejected -> 2*24 + 0 + 4 = 0x34; dinner rejected -> 2*24 + 3*6 = 0x42.
    std::string meals(14, '\x46');
    meals[2] = meals[5] = '\x34';
    meals[1] = meals[13] = '\x42';
    EXPECT_EQ(Hex(e.payload.substr(12, 14)), Hex(meals));

    // After a wrapped first code the byte already has breakfast and dinner
    // parts: 'H' (17) gives 152 = d 6, b 1, c 2. The rejected breakfast keeps
    // b = 1, and the dinner '*' then sets c = 0: 6*24 + 1*6 = 0x96.
    rec.first = "H" + std::string(13, '*');
    rec.breakfast = "2" + std::string(13, '*');
    rec.dinner = std::string(14, '*');
    const Encoded wrapped = Encode(rec.Text(), Settings(true, 4, 6));
    EXPECT_EQ(static_cast<unsigned char>(wrapped.payload[12]), 0x96);
    EXPECT_EQ(wrapped.log.size(), 2U);
}

TEST(EncodeRecord, RadixBelowOneRaisesBeforeAnythingIsLogged) {
    const std::pair<int, int> radices[] = {{0, 6},  {4, 0},  {0, 0},
                                           {-1, 6}, {4, -6}, {INT_MIN, INT_MIN}};
    Record bad; // complaints would be logged if coding went ahead
    bad.breakfast = std::string(14, 'H');
    for (const auto& [b, v] : radices) {
        for (const std::string& text : {std::string("Q"), std::string("r"), bad.Text()}) {
            auto buffer = *MakeCommandBuffer(text);
            const CommandBuffer before = buffer;
            std::vector<std::string> log;
            try {
                EncodeCommand(buffer, Settings(true, b, v),
                              [&](std::string_view l) { log.emplace_back(l); });
                ADD_FAILURE() << "no error for B " << b << " V " << v;
            } catch (const CodingError& error) {
                EXPECT_EQ(std::string_view(error.what()), "Snidane nebo večeře = 0!"_cp);
            }
            EXPECT_EQ(buffer, before) << "nothing may be sent";
            EXPECT_TRUE(log.empty());
        }
    }
    // Commands without meal coding do not care.
    EXPECT_EQ(Encode("c", Settings(true, 0, 0)).length, 17);
}

TEST(EncodeRecord, RawFlagSendsMealBytesUncheckedEvenWithoutRadix) {
    Record rec;
    rec.nine = "ABCDEFGH\x80";
    rec.first = std::string("\x00\x01\x7F\x80\xFF", 5) + "123456789";
    rec.breakfast = std::string(14, 'H'); // ignored: would be out of range
    for (const auto& [b, v] : {std::pair{0, 0}, std::pair{4, 6}, std::pair{-3, 2}}) {
        const Encoded e = Encode(rec.Text(), Settings(true, b, v));
        ASSERT_EQ(e.length, 43);
        EXPECT_EQ(Hex(e.payload.substr(3, 23)), Hex(rec.nine + rec.first));
        EXPECT_TRUE(e.log.empty());
    }
}

TEST(EncodeRecord, PersonNumberField) {
    const std::pair<std::string, std::string> cases[] = {
        {"0x1F", "00 1F"}, {"0X1f", "00 1F"}, {"0xFF", "00 FF"}, {"12  ", "00 0C"},
        {"  12", "00 0C"}, {"+7  ", "00 07"}, {"9999", "27 0F"}, {"-1  ", "FF FF"},
        {"-999", "FC 19"}, {"    ", "00 00"}, {"1 2 ", "00 00"}, {"12ab", "00 00"},
        {"0x  ", "00 00"}, {"-   ", "00 00"}, {"x1  ", "00 00"}, {"\t12 ", "00 0C"},
    };
    for (const auto& [field, expected] : cases) {
        Record rec;
        rec.number = field;
        EXPECT_EQ(Hex(Encode(rec.Text()).payload.substr(1, 2)), expected) << '"' << field << '"';
    }
    // A text that ends inside the field: "Q12" holds the number 12.
    EXPECT_EQ(Hex(Encode("Q12").payload.substr(1, 2)), "00 0C");
}

TEST(EncodeRecord, CreditWord) {
    const std::pair<std::string, std::string> cases[] = {
        {"-00100", "FF 9B"}, {"-0    ", "FF FF"}, {"-40000", "86 E7"}, {"-31000", "86 E7"},
        {"-30999", "86 E8"}, {"+01234", "04 D2"}, {"+40000", "79 18"}, {"+31000", "79 18"},
        {"+30999", "79 17"}, {" -0100", "79 18"}, {"001234", "04 D2"}, {" 1234 ", "04 D2"},
        {"      ", "00 00"}, {"-     ", "00 00"}, {"X01234", "00 00"}, {"+12 4 ", "00 00"},
        {"+99999", "79 18"}, // 99999 has the low 16 bits 34463: still clamped
        {"+70000", "11 70"}, // 70000 has the low 16 bits 4464, below the limit
    };
    for (const auto& [field, expected] : cases) {
        Record rec;
        rec.credit = field;
        const Encoded e = Encode(rec.Text(), Settings(true, 4, 6, true));
        ASSERT_EQ(e.length, 43);
        EXPECT_EQ(Hex(e.payload.substr(41, 2)), expected) << '"' << field << '"';
        EXPECT_EQ(e.payload[40], '#');
    }
}

TEST(EncodeRecord, NameGoesThroughTheNameTable) {
    Record rec;
    rec.name = std::string("\xA0Kr\xA0l \x9F\x82\xE7k\x80\x81\xAE~", 14);
    const Encoded e = Encode(rec.Text());
    EXPECT_EQ(Hex(e.payload.substr(26, 14)), Hex(std::string("aKral cesk\x80\xFC\xAA~", 14)));
}

// Czech letters of code page 852 and the plain letters a terminal shows.
TEST(NameTable, CzechLettersLoseTheirAccents) {
    const std::pair<unsigned, char> letters[] = {
        {0xA0, 'a'},
        {0xB5, 'A'},
        {0x9F, 'c'},
        {0xAC, 'C'},
        {0xD4, 'd'},
        {0xD2, 'D'},
        {0x82, 'e'},
        {0x90, 'E'},
        {0xD8, 'e'},
        {0xB7, 'E'},
        {0xA1, 'i'},
        {0xD6, 'I'},
        {0xE5, 'n'},
        {0xD5, 'N'},
        {0xA2, 'o'},
        {0xE0, 'O'},
        {0xFD, 'r'},
        {0xFC, 'R'},
        {0xE7, 's'},
        {0xE6, 'S'},
        {0x9C, 't'},
        {0x9B, 'T'},
        {0xA3, 'u'},
        {0xE9, 'U'},
        {0x85, 'u'},
        {0xDE, 'U'},
        {0xEC, 'y'},
        {0xED, 'Y'},
        {0xA7, 'z'},
        {0xA6, 'Z'},
        // The other accented letters of the code page.
        {0x83, 'a'},
        {0x84, 'a'},
        {0x86, 'c'},
        {0x87, 'c'},
        {0x88, 'l'},
        {0x89, 'e'},
        {0x8A, 'O'},
        {0x8B, 'o'},
        {0x8C, 'i'},
        {0x8D, 'Z'},
        {0x8E, 'A'},
        {0x8F, 'C'},
        {0x91, 'L'},
        {0x92, 'l'},
        {0x93, 'o'},
        {0x94, 'o'},
        {0x95, 'L'},
        {0x96, 'l'},
        {0x97, 'S'},
        {0x98, 's'},
        {0x99, 'O'},
        {0x9A, 'U'},
        {0x9D, 'L'},
        {0xA4, 'A'},
        {0xA5, 'a'},
        {0xA8, 'E'},
        {0xA9, 'e'},
        {0xAB, 'z'},
        {0xAD, 's'},
        {0xB6, 'A'},
        {0xB8, 'S'},
        {0xBD, 'Z'},
        {0xBE, 'z'},
        {0xD0, 'd'},
        {0xD1, 'D'},
        {0xD3, 'E'},
        {0xDD, 'T'},
        {0xE2, 'O'},
        {0xE3, 'N'},
        {0xE4, 'n'},
        {0xE8, 'R'},
        {0xEA, 'r'},
        {0xEB, 'U'},
        {0xEE, 't'},
        {0xFB, 'u'},
    };
    for (const auto& [byte, plain] : letters) {
        EXPECT_EQ(TranslateNameByte(static_cast<std::uint8_t>(byte)), plain) << std::hex << byte;
    }
}

TEST(NameTable, NonLettersStayExceptTheFourListed) {
    for (unsigned b = 0; b < 0x80; ++b) {
        EXPECT_EQ(TranslateNameByte(static_cast<std::uint8_t>(b)), b);
    }
    int exceptions = 0;
    for (unsigned b = 0x80; b < 0x100; ++b) {
        const unsigned out = TranslateNameByte(static_cast<std::uint8_t>(b));
        if (out >= 0x80 && out != b) {
            ++exceptions;
            const bool listed = (b == 0x81 && out == 0xFC) || (b == 0xAE && out == 0xAA) ||
                                (b == 0xAF && out == 0xBB) || (b == 0xE1 && out == 0xDF);
            EXPECT_TRUE(listed) << std::hex << b << " -> " << out;
        }
    }
    EXPECT_EQ(exceptions, 4);
}

TEST(EncodeSixNumbers, FourCopiedThenSixBigEndianNumbers) {
    const std::pair<std::string, std::string> cases[] = {
        {"c0000,0001,0002,0003,0004,0005,0006",
         "63 30 30 30 30 00 01 00 02 00 03 00 04 00 05 00 06 00"},
        // Invalid fields stay zero; separators are not examined.
        {"cAB\x80-x12 4;0x1F 9999/-1  |abcd!    ",
         "63 41 42 80 2D 00 00 00 1F 27 0F FF FF 00 00 00 00 00"},
        {"c", "63 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"},
    };
    for (const auto& [text, expected] : cases) {
        const Encoded e = Encode(text);
        EXPECT_EQ(e.length, 17);
        EXPECT_EQ(Hex(e.payload), expected) << text;
    }
}

// Whatever the buffer holds (no zero byte, high bytes everywhere) encoding
// stays inside it; AddressSanitizer reports any stray access.
TEST(EncodeCommand, StaysInsideAFullBufferOfHighBytes) {
    for (const char letter : {'Q', 'R', 'q', 'r', 'c', 'S', '\xFF'}) {
        for (const char fill : {'\x80', '\xFF', '7', '-'}) {
            for (const bool credit : {false, true}) {
                CommandBuffer buffer;
                buffer.fill(fill);
                buffer[0] = letter;
                int length = 0;
                try {
                    length = EncodeCommand(buffer, Settings(true, 4, 6, credit), nullptr);
                } catch (const CodingError&) {
                    ADD_FAILURE() << "radices are usable";
                }
                if (length >= 0) {
                    EXPECT_LE(length, kMaxPayload);
                    EXPECT_EQ(buffer[static_cast<std::size_t>(length)], '\0');
                } else {
                    EXPECT_EQ(length, kPayloadTooLong);
                }
            }
        }
    }
}

} // namespace
