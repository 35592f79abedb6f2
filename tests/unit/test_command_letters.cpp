#include "terminal/AnswerDecoding.h"
#include "terminal/CommandLetters.h"
#include "terminal/CommandLine.h"
#include "terminal/EncodeCommand.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace kelmora;

namespace {

TEST(CommandLetters, EveryByteFindsItsRowOrPlainText) {
    for (int value = 0; value < 256; ++value) {
        const char c = static_cast<char>(value);
        const CommandLetter& row = LookUpLetter(c);
        ASSERT_EQ(row.letter, c) << value;
        const auto listed = std::find_if(kCommandLetters.begin(), kCommandLetters.end(),
                                         [c](const CommandLetter& r) { return r.letter == c; });
        // A letter without a row is plain text, acknowledged only, and no record.
        EXPECT_TRUE(row == (listed != kCommandLetters.end() ? *listed : CommandLetter{.letter = c}))
            << value;
    }
}

// Each piece that branches on a letter follows its row, for every byte a
// line or a block can start with: a piece that decides by a letter of its
// own fails here for the letter it gets wrong.
TEST(CommandLetters, EncodingLineShapesAndDecodingFollowTheTable) {
    const CodingSettings coding; // Credit on
    const DecodeSettings decoding;
    for (int value = 1; value < 256; ++value) {
        const char c = static_cast<char>(value);
        const CommandLetter& row = LookUpLetter(c);

        std::string text(77, '0');
        text[0] = c;
        auto buffer = MakeCommandBuffer(text);
        ASSERT_TRUE(buffer.has_value());
        const int length = EncodeCommand(*buffer, coding, {});
        switch (row.layout) {
        case PayloadLayout::Text:
            EXPECT_EQ(length, 77) << value;
            EXPECT_EQ(CommandText(*buffer), text) << value;
            break;
        case PayloadLayout::PersonRecord:
            EXPECT_EQ(length, row.credit ? 43 : 40) << value;
            EXPECT_EQ((*buffer)[0], row.sentAs != '\0' ? row.sentAs : c) << value;
            break;
        case PayloadLayout::SixNumbers:
            EXPECT_EQ(length, 17) << value;
            EXPECT_EQ((*buffer)[0], c) << value;
            break;
        }

        std::string twoPart(98, '0');
        twoPart[0] = c;
        EXPECT_EQ(ClassifyCommandLine(twoPart),
                  row.secondPart != '\0' ? LineShape::TwoPart : LineShape::TooLong)
            << value;
        if (const auto parts = SplitTwoPartLine(twoPart)) {
            EXPECT_EQ(parts->second[0], row.secondPart) << value;
        }

        std::vector<std::uint8_t> block(kPersonRecordSize, 0);
        block[0] = static_cast<std::uint8_t>(value);
        std::vector<std::string> lines;
        const DecodeResult decoded = DecodeAnswer(block, decoding, lines);
        switch (row.record) {
        case RecordType::None:
            EXPECT_EQ(decoded.status, DecodeStatus::NotRecords) << value;
            break;
        case RecordType::S:
            EXPECT_EQ(decoded.status, DecodeStatus::WrongSizeS) << value;
            break;
        case RecordType::Person:
            EXPECT_EQ(decoded.status, DecodeStatus::Decoded) << value;
            ASSERT_EQ(lines.size(), 1U) << value;
            EXPECT_EQ(lines[0][0], row.shownAs != '\0' ? row.shownAs : c) << value;
            break;
        }
    }
}

} // namespace
