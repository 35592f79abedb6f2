// Text files as lines: byte-order marks, every line end, the reader's limits.
#include "platform/Files.h"
#include "platform/TextLines.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

using namespace kelmora;
using kelmora::testing::TempDir;

TEST(TextLines, ByteOrderMarkSelectsTheEncodingAndEveryLineEndSplits) {
    struct Case {
        std::string content;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"", {}},
        {"S", {"S"}},
        {"S\r\nY\r\n", {"S", "Y"}},
        {"S\nY", {"S", "Y"}},
        {"S\rY\r", {"S", "Y"}},
        {"S\r\n\r\nY", {"S", "", "Y"}},
        {"\n", {""}},
        {"\r\r\n\n", {"", "", ""}},
        {"\xE8\r\n", {"\xE8"}},                                          // Windows-1250 as it is
        {"\xEF\xBB\xBF\xC4\x8D\r\nY", {"\xE8", "Y"}},                    // UTF-8 BOM: č
        {std::string("\xFF\xFE\x0D\x01\r\0\n\0Y\0", 10), {"\xE8", "Y"}}, // UTF-16 LE
        {std::string("\xFE\xFF\x01\x0D\0\r\0Y\0", 9), {"\xE8", "Y"}},    // UTF-16 BE, odd tail
    };
    for (const auto& c : cases) {
        EXPECT_EQ(split_text_lines(c.content), c.lines) << ::testing::PrintToString(c.content);
    }
    EXPECT_EQ(join_crlf_lines({"a", "", "b"}), "a\r\n\r\nb\r\n");
}

TEST(TextLines, AFileIsTakenOnlyWithinItsBoundsOfBytesAndLines) {
    TempDir dir;
    ASSERT_TRUE(write_file(dir.file("three"), "a\r\nb\r\nc"));
    struct Case {
        std::size_t maxBytes;
        std::size_t maxLines;
        FileProblem problem;
    };
    const Case cases[] = {
        {7, 3, FileProblem::None},
        {6, 3, FileProblem::TooLarge},
        {7, 2, FileProblem::TooLarge},
        {100, 0, FileProblem::TooLarge},
    };
    for (const Case& c : cases) {
        const TextFile file = read_text_file(dir.file("three"), c.maxBytes, c.maxLines);
        EXPECT_EQ(file.problem, c.problem) << c.maxBytes << " " << c.maxLines;
        EXPECT_EQ(file.lines.size(), file.ok() ? 3u : 0u);
    }
    EXPECT_EQ(read_text_file(dir.file("missing")).problem, FileProblem::Missing);
}
