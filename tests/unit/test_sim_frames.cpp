// The simulator's frame parser: what a terminal makes of the bytes it hears.
#include "sim/FrameParser.h"
#include "support/WireFrame.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

using namespace kelmora::sim;
using namespace std::chrono_literals;

using kelmora::testing::frame;

namespace {

const SteadyTime kT0 = SteadyTime{} + 1h;
constexpr auto kGap = 20ms;

std::string bytes(std::initializer_list<int> values) {
    std::string s;
    for (const int v : values) {
        s += static_cast<char>(v);
    }
    return s;
}

// Feeds `input` one byte per microsecond from `at`, then lets the line fall
// quiet, and describes everything the parser reported.
struct Fed {
    std::vector<ParsedItem> items;
    std::string describe() const {
        std::string out;
        for (const ParsedItem& item : items) {
            out += item.kind == ParsedItem::Kind::Frame         ? "F"
                   : item.kind == ParsedItem::Kind::BadChecksum ? "B"
                                                                : "J";
            out += std::to_string(item.bytes.size()) + " ";
        }
        return out;
    }
};

Fed feed(FrameParser& parser, const std::string& input, SteadyTime at = kT0) {
    Fed fed;
    for (const char c : input) {
        parser.push(static_cast<std::uint8_t>(c), at, fed.items);
        at += 1us;
    }
    parser.expire(at + kGap + 1ms, fed.items);
    return fed;
}

} // namespace

TEST(SimFrameParser, ChecksumWrapsAndFrameIsReportedWithItsPayload) {
    FrameParser parser(kGap);
    // The probe to address 0xFF: the checksum wraps to 0x44.
    const Fed fed = feed(parser, bytes({0xFF, 0x04, 0x41, 0x44}));
    ASSERT_EQ(fed.describe(), "F4 ");
    EXPECT_EQ(fed.items[0].address(), 0xFF);
    EXPECT_EQ(fed.items[0].payload(), "A");
    EXPECT_EQ(fed.items[0].first, kT0);
    EXPECT_EQ(fed.items[0].last, kT0 + 3us);
}

TEST(SimFrameParser, SortsTheByteStreamIntoFramesBadFramesAndJunk) {
    const std::string s2 = frame(2, "S");
    const std::string p1 = frame(1, "P");
    std::string bad = frame(1, "Y");
    bad.back() = static_cast<char>(bad.back() + 1);
    const std::string longest = frame(3, std::string(97, 'x'));
    ASSERT_EQ(longest.size(), 100u);

    struct Case {
        const char* name;
        std::string input;
        const char* expected;
    };
    const Case cases[] = {
        {"two frames back to back", s2 + p1, "F4 F4 "},
        {"bad checksum dropped whole", bad + p1, "B4 F4 "},
        {"length below 4 skipped", bytes({0x01, 0x03}) + s2, "J2 F4 "},
        {"lengths 0 and 1 skipped", bytes({0x00, 0x00, 0x01, 0x01}) + s2, "J4 F4 "},
        {"length above 100 skipped", bytes({0x01, 0x65}) + s2, "J2 F4 "},
        {"stray byte before a frame", bytes({0x06}) + p1, "J1 F4 "},
        {"100-byte frame", longest, "F100 "},
        {"poll frame is a frame", bytes({0x10, 0x04, 0x55, 0x69}), "F4 "},
        {"torn frame abandoned at quiet", s2.substr(0, 3), "J3 "},
    };
    for (const Case& c : cases) {
        FrameParser parser(kGap);
        EXPECT_EQ(feed(parser, c.input).describe(), c.expected) << c.name;
    }
}

TEST(SimFrameParser, AGapAbandonsATornFrameSoTheNextOneIsFound) {
    FrameParser parser(kGap);
    std::vector<ParsedItem> items;
    // 0x30 claims a 48-byte frame: without the gap it would swallow the next.
    for (const char c : bytes({0x01, 0x30, 0x41})) {
        parser.push(static_cast<std::uint8_t>(c), kT0, items);
    }
    EXPECT_EQ(parser.pending_address(), 0x01);
    ASSERT_TRUE(parser.next_expiry().has_value());
    EXPECT_GT(*parser.next_expiry(), kT0 + kGap);

    const SteadyTime later = kT0 + kGap + 1ms;
    for (const char c : frame(1, "S")) {
        parser.push(static_cast<std::uint8_t>(c), later, items);
    }
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].kind, ParsedItem::Kind::Junk);
    EXPECT_EQ(items[0].bytes.size(), 3u);
    EXPECT_EQ(items[1].kind, ParsedItem::Kind::Frame);
    EXPECT_EQ(items[1].payload(), "S");
    EXPECT_FALSE(parser.pending_address().has_value());
}

TEST(SimFrameParser, SurvivesRandomBytesAndAccountsForEveryOne) {
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        std::string noise;
        const int n = static_cast<int>(rng() % 300);
        for (int i = 0; i < n; ++i) {
            noise += static_cast<char>(rng() & 0xFF);
        }
        FrameParser parser(kGap);
        const Fed fed = feed(parser, noise);
        std::size_t accounted = 0;
        for (const ParsedItem& item : fed.items) {
            accounted += item.bytes.size();
        }
        ASSERT_EQ(accounted, noise.size()) << "round " << round;
        ASSERT_FALSE(parser.pending_address().has_value());

        // After the noise and a quiet line, a frame is heard as usual.
        const Fed after = feed(parser, frame(5, "Y"), kT0 + 1s);
        ASSERT_EQ(after.describe(), "F4 ") << "round " << round;
    }
}
