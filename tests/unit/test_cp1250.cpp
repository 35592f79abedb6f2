// Windows-1250 text: the conversions at the edges and the _cp literal.
#include "platform/Cp1250.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kelmora;
using namespace kelmora::literals;

namespace {

std::string all_bytes() {
    std::string s;
    for (int b = 0; b < 256; ++b) {
        s += static_cast<char>(b);
    }
    return s;
}

} // namespace

TEST(Cp1250, EveryByteSurvivesUtf8AndUtf16RoundTrips) {
    const std::string bytes = all_bytes();
    EXPECT_EQ(cp1250_from_utf8(utf8_from_cp1250(bytes)), bytes);
    EXPECT_EQ(cp1250_from_utf16(utf16_from_cp1250(bytes)), bytes);
}

TEST(Cp1250, CzechTextConvertsBothWays) {
    const std::string utf8 = "Špatný počet snídaní, nebo večeří!";
    const std::string cp = "\x8Apatn\xFD po\xE8"
                           "et sn\xED"
                           "dan\xED, nebo ve\xE8"
                           "e\xF8\xED!";
    EXPECT_EQ(cp1250_from_utf8(utf8), cp);
    EXPECT_EQ(utf8_from_cp1250(cp), utf8);
    EXPECT_EQ("Špatný počet snídaní, nebo večeří!"_cp, cp);
}

TEST(Cp1250, CharactersWithoutAFormBecomeQuestionMarks) {
    struct Case {
        const char* utf8;
        const char* cp1250;
    };
    const std::vector<Case> cases = {
        {"\xE2\x82\xAC", "\x80"},    // euro sign has a form
        {"\xC3\xA5", "?"},           // a with ring: not in the code page
        {"\xF0\x9F\x98\x80x", "?x"}, // outside the BMP
        {"a\xC3", "a?"},             // truncated sequence
        {"\xC0\x80z", "?z"},         // overlong encoding
        {"\x80\x80q", "?q"},         // stray continuation bytes
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cp1250_from_utf8(c.utf8), c.cp1250) << c.utf8;
    }
    EXPECT_EQ(cp1250_from_utf16(u"\u00E5\U0001F600\xD800z"), "???z");
}
