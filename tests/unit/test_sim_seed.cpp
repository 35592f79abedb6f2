// Starting a simulated memory from result lines, or at random.
#include "sim/SeedRecords.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace kelmora::sim;

namespace {

// Person 0258, bytes 12 34 56 78, flag '0', meal byte 0x46 everywhere: with
// 4 breakfasts, 6 dinners and coding on it reads 1, A, 2.
const std::string kSingle =
    "Q0258123456780" + std::string(14, '1') + std::string(14, 'A') + std::string(14, '2');

SeedFormat coded(bool dt = false) {
    return SeedFormat{MealRadices{true, 4, 6}, dt};
}

} // namespace

TEST(SimSeed, ResultLinesBecomeTheRecordsTheyCameFrom) {
    const std::string pair = "R10000ABCDEF01"
                             "0" +
                             std::string(14, '*') + std::string(14, '*') + std::string(14, '*') +
                             std::string(14, '1') + std::string(14, 'A') + std::string(14, '2');
    const SeedResult result = parse_record_lines({"# comment", kSingle, "", pair}, coded());
    ASSERT_EQ(result.error, "");
    ASSERT_EQ(result.records.size(), 3u);

    const PersonRecord& z = result.records[0];
    EXPECT_EQ(z.letter, 'Z');
    EXPECT_EQ(z.number, 258);
    EXPECT_EQ(z.id, (std::array<std::uint8_t, 4>{0x12, 0x34, 0x56, 0x78}));
    EXPECT_EQ(z.flag, '0');
    EXPECT_EQ(z.meals[0], 0x46);
    EXPECT_EQ(z.meals[13], 0x46);

    EXPECT_EQ(result.records[1].letter, 'R');
    EXPECT_EQ(result.records[1].number, 10000);
    EXPECT_EQ(result.records[1].meals[0], 0);
    const PersonRecord& half = result.records[2];
    EXPECT_EQ(half.letter, 'r');
    EXPECT_EQ(half.number, 10000);
    EXPECT_EQ(half.id, result.records[1].id);
    EXPECT_EQ(half.meals[5], 0x46);
}

TEST(SimSeed, CodingOffRawFlagAndDtStamp) {
    // Coding off: 'N', '0', '1' are 1, 2, 3 and make 0x27.
    const std::string plain =
        "R0001000000000" + std::string(14, 'N') + std::string(14, '0') + std::string(14, '1');
    SeedResult r = parse_record_lines({plain}, SeedFormat{MealRadices{false, 4, 6}, false});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.records[0].meals[0], 0x27);

    // Raw flag: the first group is the meal bytes themselves.
    std::string raw = "R000100000000\xB0"
                      "ABCDEFGHIJKLMN" +
                      std::string(28, '*');
    r = parse_record_lines({raw}, coded());
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.records[0].meals[0], 'A');
    EXPECT_EQ(r.records[0].meals[13], 'N');

    r = parse_record_lines({kSingle + "2406301245"}, coded(true));
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.records[0].stamp, (std::array<std::uint8_t, 5>{0x24, 0x06, 0x30, 0x12, 0x45}));
}

TEST(SimSeed, BadLinesAreReportedWithTheirLineNumber) {
    const struct {
        std::string line;
        const char* what;
    } cases[] = {
        {kSingle.substr(0, 55), "55 characters"},
        {"X" + kSingle.substr(1), "letter 'X'"},
        {"Q02a8" + kSingle.substr(5), "not decimal"},
        {"Q99999" + kSingle.substr(5), "above 65535"},
        {kSingle.substr(0, 5) + "1234567G" + kSingle.substr(13), "not hexadecimal"},
        {kSingle.substr(0, 14) + "a" + kSingle.substr(15), "'a' is not a code character"},
        {kSingle.substr(0, 28) + "2" + kSingle.substr(29), "do not fit"}, // breakfast 4 of 4
        {"q" + kSingle.substr(1) + std::string(42, '*'), "half"},
    };
    for (const auto& c : cases) {
        const SeedResult r = parse_record_lines({"# first", c.line}, coded());
        EXPECT_TRUE(r.records.empty()) << c.what;
        EXPECT_NE(r.error.find("line 2"), std::string::npos) << r.error;
        EXPECT_NE(r.error.find(c.what), std::string::npos) << r.error;
    }
    EXPECT_NE(parse_record_lines({kSingle}, coded(true)).error.find("DT"), std::string::npos);
    EXPECT_NE(load_record_file("/nonexistent/records.txt", coded()).error.find("cannot read"),
              std::string::npos);
}

TEST(SimSeed, RandomRecordsAreReproducibleAndDistinct) {
    const MealRadices radices{true, 4, 6};
    const ClockFields stamp{24, 1, 2, 2, 3, 4, 5};
    const auto a = random_records(500, 42, radices, stamp);
    const auto b = random_records(500, 42, radices, stamp);
    const auto c = random_records(500, 43, radices, stamp);
    ASSERT_EQ(a.size(), 500u);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);

    std::set<int> mains;
    std::size_t halves = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].is_half()) {
            ++halves;
            ASSERT_GT(i, 0u);
            EXPECT_EQ(a[i].number, a[i - 1].number); // right after its record
        } else {
            EXPECT_TRUE(mains.insert(a[i].number).second) << "person twice";
        }
        for (const std::uint8_t meal : a[i].meals) {
            EXPECT_LT(meal / 24, 3); // first codes stay small, as real ones do
        }
    }
    EXPECT_GT(halves, 0u);
}
