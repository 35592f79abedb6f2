#include "terminal/AnswerDecoding.h"
#include "terminal/CodingError.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace kelmora;

namespace {

using Bytes = std::vector<std::uint8_t>;

// One person record: letter, number, four id bytes, flag, fourteen meal bytes.
Bytes Record(char letter, int number, std::uint8_t flag, std::uint8_t meal, bool dt = false) {
    Bytes r = {static_cast<std::uint8_t>(letter),
               static_cast<std::uint8_t>(number >> 8),
               static_cast<std::uint8_t>(number & 0xFF),
               0x12,
               0x34,
               0x56,
               0x78,
               flag};
    r.insert(r.end(), 14, meal);
    r.insert(r.end(), 2, 0xEE); // not shown
    if (dt) {
        r.resize(22);
        r.insert(r.end(), {0x99, 0x05, 0x00, 0xAB, 0x10, 0xEE, 0xEE});
    }
    return r;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& p : parts) {
        all.insert(all.end(), p.begin(), p.end());
    }
    return all;
}

struct Decoded {
    DecodeResult result;
    std::vector<std::string> lines;
};

Decoded Decode(const Bytes& block, DecodeSettings settings = {}) {
    Decoded d;
    d.result = DecodeAnswer(block, settings, d.lines);
    return d;
}

const std::string kGroups46 =
    std::string(14, '1') + std::string(14, 'A') + std::string(14, '2'); // meal byte 0x46

} // namespace

TEST(AnswerDecoding, ZRecordExampleByteForByte) {
    const Decoded d = Decode(Record('Z', 0x0102, '0', 0x46));
    ASSERT_EQ(d.result.status, DecodeStatus::Decoded);
    EXPECT_EQ(d.result.records, 1);
    ASSERT_EQ(d.lines.size(), 1u);
    EXPECT_EQ(d.lines[0], "Q0258123456780" + kGroups46);
    EXPECT_EQ(d.lines[0].size(), 56u);
}

TEST(AnswerDecoding, RawFlagShowsMealBytesAndStars) {
    Bytes r = Record('R', 7, 0x80, 0x46);
    EXPECT_EQ(Decode(r).lines.at(0),
              "R000712345678\x80" + std::string(14, 'F') + std::string(28, '*'));
    r[8 + 3] = 0; // a zero meal byte ends group 1 early
    EXPECT_EQ(Decode(r).lines.at(0), "R000712345678\x80"
                                     "FFF" +
                                         std::string(28, '*'));
}

TEST(AnswerDecoding, PairsSinglesLettersAndNumbers) {
    // Two records: single lines, each with its own letter (Z shown as Q).
    Decoded d = Decode(Join({Record('R', 1, '0', 0x46), Record('Z', 10000, '0', 0x00)}));
    EXPECT_EQ(d.result.records, 2);
    ASSERT_EQ(d.lines.size(), 2u);
    EXPECT_EQ(d.lines[0], "R0001123456780" + kGroups46);
    EXPECT_EQ(d.lines[1], "Q10000123456780" + std::string(42, '*')); // five digits
    // A q or r record after any record makes one 98-character pair line.
    for (const char half : {'q', 'r'}) {
        d = Decode(Join({Record('R', 1, '0', 0x46), Record(half, 1, '1', 0x00)}));
        EXPECT_EQ(d.result.records, 2);
        ASSERT_EQ(d.lines.size(), 1u);
        EXPECT_EQ(d.lines[0], "R0001123456780" + kGroups46 + std::string(42, '*'));
        EXPECT_EQ(d.lines[0].size(), 98u);
    }
}

TEST(AnswerDecoding, DtUseAddsTenHexDigits) {
    DecodeSettings dt;
    dt.DtUse = true;
    const Decoded d =
        Decode(Join({Record('Z', 1, '0', 0x46, true), Record('r', 1, '0', 0x46, true)}), dt);
    EXPECT_EQ(d.result.records, 2);
    ASSERT_EQ(d.lines.size(), 1u);
    EXPECT_EQ(d.lines[0], "Q0001123456780" + kGroups46 + kGroups46 + "990500AB10");
}

TEST(AnswerDecoding, WrongSizesAskForARepeat) {
    EXPECT_EQ(Decode(Bytes(50, 'Z')).result.status, DecodeStatus::WrongSizeRZ);
    DecodeSettings dt;
    dt.DtUse = true;
    EXPECT_EQ(Decode(Bytes(48, 'R'), dt).result.status, DecodeStatus::WrongSizeRZ);
    const Decoded s = Decode(Bytes(28, 'S'));
    EXPECT_EQ(s.result.status, DecodeStatus::WrongSizeS);
    EXPECT_TRUE(s.lines.empty());
}

TEST(AnswerDecoding, SBlockGivesOneLineFromTheFirstRecord) {
    Bytes s(54, 0);
    s[0] = 'S';
    for (int i = 1; i <= 7; ++i) {
        s[i] = static_cast<std::uint8_t>(0x10 * i + 3);
    }
    const std::string text = "TERMINAL-1";
    std::copy(text.begin(), text.end(), s.begin() + 9);
    s[27] = 'S';
    std::fill(s.begin() + 28, s.end(), 'x');
    Decoded d = Decode(s);
    EXPECT_EQ(d.result.records, 2);
    ASSERT_EQ(d.lines.size(), 1u);
    EXPECT_EQ(d.lines[0], "S13233343536373TERMINAL-1");
    std::fill(s.begin() + 9, s.begin() + 27, 'W'); // 16 characters at most
    EXPECT_EQ(Decode(s).lines.at(0), "S13233343536373" + std::string(16, 'W'));
}

TEST(AnswerDecoding, AnEmptyBlockGivesNoLine) {
    const Decoded d = Decode({});
    EXPECT_EQ(d.result.status, DecodeStatus::Decoded);
    EXPECT_EQ(d.result.records, 0);
    EXPECT_TRUE(d.lines.empty());
}

TEST(AnswerDecoding, NoiseIsNoRecordWhateverItsLength) {
    Bytes hundred;
    for (int i = 0; i < 100; ++i) {
        const Bytes r = Record('R', i, '0', 0x46);
        hundred.insert(hundred.end(), r.begin(), r.end());
    }
    // 24 bytes of line noise in the middle of record 50: the length still
    // fits, record 51's slot starts inside the noise.
    Bytes noise(24, 0xA7);
    Bytes noisy = hundred;
    noisy.insert(noisy.begin() + 50 * 24 + 10, noise.begin(), noise.end());
    // The same burst on a record boundary.
    Bytes aligned = hundred;
    aligned.insert(aligned.begin() + 30 * 24, noise.begin(), noise.end());
    Bytes twoS(54, 'S');
    twoS[27] = 'x';
    struct Case {
        const char* name;
        Bytes block;
        std::size_t badRecord;
    };
    const Case cases[] = {
        {"noise inside a record", noisy, 51},
        {"noise on a record boundary", aligned, 30},
        {"a first byte of no known type", Bytes(24, 'X'), 0},
        {"zero bytes", Bytes(27, 0), 0},
        {"an S record without its letter", twoS, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Decoded d = Decode(c.block);
        EXPECT_EQ(d.result.status, DecodeStatus::NotRecords);
        EXPECT_EQ(d.result.badRecord, c.badRecord);
        EXPECT_EQ(d.result.records, 0);
        EXPECT_TRUE(d.lines.empty());
    }
    EXPECT_EQ(Decode(hundred).lines.size(), 100u);
}

TEST(AnswerDecoding, ABlockThatStartsWithTheSecondHalfOfAPairIsDecoded) {
    const Decoded d = Decode(Join({Record('q', 3, '0', 0x46), Record('R', 4, '0', 0x46)}));
    EXPECT_EQ(d.result.status, DecodeStatus::Decoded);
    EXPECT_EQ(d.result.records, 2);
    ASSERT_EQ(d.lines.size(), 2u);
    EXPECT_EQ(d.lines[0], "q0003123456780" + kGroups46);
}

TEST(AnswerDecoding, ZeroRadixRaisesAndAppendsNothing) {
    for (const auto& [b, v] : {std::pair{0, 6}, std::pair{4, 0}, std::pair{-1, 6}}) {
        DecodeSettings s;
        s.MaxBreakfasts = b;
        s.MaxDinners = v;
        std::vector<std::string> lines = {"earlier"};
        const Bytes raw = Record('R', 1, 0x80, 0x46); // raw records are checked too
        EXPECT_THROW(DecodeAnswer(Join({Record('R', 1, '0', 0x46), raw}), s, lines), CodingError);
        EXPECT_EQ(lines, std::vector<std::string>{"earlier"});
        // S answers do not need the radices.
        EXPECT_NO_THROW(DecodeAnswer(Bytes(27, 'S'), s, lines));
    }
}

TEST(AnswerDecoding, ZeroFlagByteIsShownAsABlank) {
    EXPECT_EQ(Decode(Record('R', 1, 0, 0x46)).lines.at(0), "R000112345678 " + kGroups46);
}
